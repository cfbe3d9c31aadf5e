// Rearranging and removing buttons; each operation leaves the registry equal to the model.
#include "model/SpeedDialModel.h"

#include <algorithm>
#include <numeric>
#include <vector>

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
    // Each name is worked out once; equal names keep their order.
    const int count = Buttons.GetSize();
    std::vector<WString> names;
    names.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) names.push_back(DisplayNameOf(Buttons.GetAt(i)));
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareStringW(0x0800, 0, names[static_cast<size_t>(a)], -1, names[static_cast<size_t>(b)],
                              -1) == CSTR_LESS_THAN;
    });
    std::vector<SpeedDialButton> sorted;
    sorted.reserve(order.size());
    bool changed = false;
    for (int k = 0; k < count; ++k) {
        sorted.push_back(Buttons.GetAt(order[static_cast<size_t>(k)]));
        changed |= order[static_cast<size_t>(k)] != k || sorted.back().Index != k;
        sorted.back().Index = k;
    }
    if (!changed) return;
    for (int k = 0; k < count; ++k) Buttons.SetAt(k, sorted[static_cast<size_t>(k)]);
    Save(-1);
}
