// Rearranging and removing buttons; each operation leaves the registry equal to the model.
#include "model/SpeedDialModel.h"

void SpeedDialModel::AssignNumber(int position, int number) {
    const int index = IndexOfPosition(position);
    if (index < 0) return;
    if (number != -1) {
        for (int i = 0; i < Buttons.GetSize(); ++i) {
            SpeedDialButton other = Buttons.GetAt(i);
            if (i == index || other.Btn != number) continue;
            other.Btn = -1;
            Buttons.SetAt(i, other);
            Save(i);
        }
    }
    SpeedDialButton button = Buttons.GetAt(index);
    button.Btn = number;
    Buttons.SetAt(index, button);
    Save(index);
}

void SpeedDialModel::SwapPositions(int from, int to) {
    const int moving = IndexOfPosition(from);
    if (moving < 0) return;
    for (int i = 0; i < Buttons.GetSize(); ++i) {
        SpeedDialButton button = Buttons.GetAt(i);
        if (i == moving)
            button.Index = to;
        else if (button.Index == to)
            button.Index = from;
        else
            continue;
        Buttons.SetAt(i, button);
    }
    Save(-1);
}

void SpeedDialModel::DeletePositions(const Array<int>& positions) {
    for (int k = 0; k < positions.GetSize(); ++k) {
        if (const int index = IndexOfPosition(positions.GetAt(k)); index >= 0) RemoveAt(index);
    }
    Save(-1);
}

void SpeedDialModel::SortByName() {
    const int count = Buttons.GetSize();
    bool changed = false;
    for (int i = 0; i + 1 < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            const SpeedDialButton a = Buttons.GetAt(i), b = Buttons.GetAt(j);
            if (CompareStringW(0x0800, 0, DisplayNameOf(a), -1, DisplayNameOf(b), -1) != CSTR_GREATER_THAN)
                continue;
            Buttons.SetAt(i, b);
            Buttons.SetAt(j, a);
            changed = true;
        }
    }
    for (int k = 0; k < count; ++k) {
        SpeedDialButton button = Buttons.GetAt(k);
        if (button.Index == k) continue;
        button.Index = k;
        Buttons.SetAt(k, button);
        changed = true;
    }
    if (changed) Save(-1);
}
