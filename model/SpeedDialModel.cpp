#include "model/SpeedDialModel.h"

#include "contacts/SearchService.h"
#include "foundation/Settings.h"
#include "foundation/WatchedSetting.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int ButtonFlags = ReadNames | ReadPhones | ReadPhotoPresence;

void CopyContact(const ContactDetails& contact, SpeedDialButton& button) {
    button.First = contact.First;
    button.Last = contact.Last;
    button.Middle = contact.Middle;
    button.Company = contact.Company;
    button.Phones = contact.Phones;
    button.SortName = contact.SortName;
    button.HasPhoto = contact.HasPhoto;
}

// Takes the contact's names; true when any of them differed.
bool TakeNames(const ContactDetails& contact, SpeedDialButton& button) {
    bool changed = false;
    for (auto [mine, theirs] :
         {std::pair{&button.First, &contact.First}, std::pair{&button.Last, &contact.Last},
          std::pair{&button.Middle, &contact.Middle}, std::pair{&button.Company, &contact.Company}}) {
        if (*mine == *theirs) continue;
        *mine = *theirs;
        changed = true;
    }
    return changed;
}

// Binds the button to one of the contact's numbers; true when the button changed.
bool BindNumber(const ContactDetails& contact, SpeedDialButton& button) {
    const Array<PhoneEntry>& phones = contact.Phones;
    if (!button.Phone.IsEmpty()) {
        for (int i = 0; i < phones.GetSize(); ++i) {
            const PhoneEntry entry = phones.GetAt(i);
            if (static_cast<DWORD>(entry.Kind) != button.Link) continue;
            if (entry.Kind == NotesPhoneKind && !(entry.Label == button.Type)) continue;
            if (entry.Number == button.Phone) return false;
            button.Phone = entry.Number;
            button.Type = entry.Label;
            return true;
        }
    }
    if (phones.GetSize() == 0) {
        if (button.Phone.IsEmpty()) return false;
        button.Phone.Empty();
        return true;
    }
    for (int i = 0; i < phones.GetSize(); ++i) {
        const PhoneEntry entry = phones.GetAt(i);
        if (!(entry.Label == button.Type)) continue;
        button.Phone = entry.Number;
        button.Link = static_cast<DWORD>(entry.Kind);
        return true;
    }
    const PhoneEntry first = phones.GetAt(0);
    button.Phone = first.Number;
    button.Type = first.Label;
    button.Link = static_cast<DWORD>(first.Kind);
    return true;
}

// The name of a button without one, loaded once: the painter asks for it on every paint.
const WString& UnnamedLabel() {
    static WString unnamed = [] {
        WString text;
        text.LoadString(IDS_UNNAMED);
        return text;
    }();
    return unnamed;
}

} // namespace

SpeedDialModel::~SpeedDialModel() {
    Clear();
}

int SpeedDialModel::IndexOfPosition(int position) const {
    for (int i = 0; i < Buttons.GetSize(); ++i) {
        if (Buttons[i].Index == position) return i;
    }
    return -1;
}

int SpeedDialModel::GetByPosition(int position, SpeedDialButton& button) const {
    const int index = IndexOfPosition(position);
    if (index < 0) return 0;
    button = Buttons.GetAt(index);
    return 1;
}

WString SpeedDialModel::DisplayNameOf(const SpeedDialButton& button) {
    if (!button.Display.IsEmpty()) return button.Display;
    static WatchedSetting sortType(settings::SortType);
    WString name;
    if (sortType.Value() == 1) name = button.SortName;
    if (name.IsEmpty()) {
        if (!button.Last.IsEmpty()) {
            name = button.Last;
            if (!button.First.IsEmpty()) {
                name += L", ";
                name += button.First;
            }
        } else if (!button.First.IsEmpty()) {
            name = button.First;
        } else {
            name = button.Middle.IsEmpty() ? button.Company : button.Middle;
            return name.IsEmpty() ? UnnamedLabel() : name;
        }
        if (!button.Middle.IsEmpty()) {
            name += L" ";
            name += button.Middle;
        }
    }
    return name.IsEmpty() ? UnnamedLabel() : name;
}

void SpeedDialModel::Load(int force) {
    LoadFromRegistry();
    for (int i = 0; i < Buttons.GetSize(); ++i) Refresh(i, force);
}

void SpeedDialModel::Refresh(int index, int force) {
    SpeedDialButton button = Buttons.GetAt(index);
    if (button.Oid == 0 && force != 1) return;
    ContactDetails contact;
    bool changed = false;
    if (button.Oid == 0 || !ReadContact(Store, button.Oid, contact, ButtonFlags, 0, 0, 0)) {
        if (!Refind(button)) {
            button.Oid = 0;
            Buttons.SetAt(index, button);
            Save(index);
            return;
        }
        // A contact with the number exists but under another name: the button keeps what it has.
        if (!ReadContact(Store, button.Oid, contact, ButtonFlags, 0, 0, 0)) return;
        changed = true;
    }
    button.HasPhoto = contact.HasPhoto;
    changed |= TakeNames(contact, button);
    changed |= BindNumber(contact, button);
    button.Phones = contact.Phones;
    button.SortName = contact.SortName;
    Buttons.SetAt(index, button);
    if (changed) Save(index);
}

void SpeedDialModel::AddFromContact(int position, DWORD oid, const PhoneEntry& entry) {
    ContactDetails contact;
    if (!ReadContact(Store, oid, contact, ButtonFlags, 0, 0, 0)) return;
    SpeedDialButton button;
    button.Oid = oid;
    button.Index = position;
    button.Phone = entry.Number;
    button.Type = entry.Label;
    button.Link = static_cast<DWORD>(entry.Kind);
    CopyContact(contact, button);
    SetAtPosition(position, button);
}

void SpeedDialModel::SetAtPosition(int position, const SpeedDialButton& button) {
    int index = IndexOfPosition(position);
    if (index >= 0) {
        if (HBITMAP old = Buttons.GetAt(index).Photo; old && old != button.Photo) DeleteObject(old);
        Buttons.SetAt(index, button);
    } else {
        index = Buttons.Add(button);
        if (index < 0) return;
    }
    Save(index);
}

int SpeedDialModel::Refind(SpeedDialButton& button) {
    const Array<int> ids = FindContactsByNumber(NumberOperation(), button.Phone);
    for (int i = 0; i < ids.GetSize(); ++i) {
        ContactDetails contact;
        const DWORD oid = static_cast<DWORD>(ids.GetAt(i));
        if (!ReadContact(Store, oid, contact, ReadNames, 0, 0, 0)) continue;
        if (contact.First == button.First && contact.Last == button.Last && contact.Middle == button.Middle &&
            contact.Company == button.Company)
            button.Oid = oid;
        return 1;
    }
    return 0;
}

void SpeedDialModel::DropPhotos() {
    for (int i = 0; i < Buttons.GetSize(); ++i) {
        SpeedDialButton button = Buttons.GetAt(i);
        if (!button.Photo) continue;
        DeleteObject(button.Photo);
        button.Photo = nullptr;
        Buttons.SetAt(i, button);
    }
}

void SpeedDialModel::Clear() {
    for (int i = 0; i < Buttons.GetSize(); ++i) {
        if (HBITMAP photo = Buttons.GetAt(i).Photo) DeleteObject(photo);
    }
    Buttons.RemoveAll();
}

void SpeedDialModel::RemoveAt(int index) {
    if (HBITMAP photo = Buttons.GetAt(index).Photo) DeleteObject(photo);
    const int last = Buttons.GetSize() - 1;
    for (int i = index; i < last; ++i) Buttons.SetAt(i, Buttons.GetAt(i + 1));
    Buttons.SetSize(last);
}
