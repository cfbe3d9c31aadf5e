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

void TakeNames(const ContactDetails& contact, SpeedDialButton& button) {
    button.First = contact.First;
    button.Last = contact.Last;
    button.Middle = contact.Middle;
    button.Company = contact.Company;
}

// Binds the button to one of the contact's numbers: the one of its kind (with its label, for a number
// of the notes), else the first with its label, else the first.
void BindNumber(const ContactDetails& contact, SpeedDialButton& button) {
    const Array<PhoneEntry>& phones = contact.Phones;
    if (!button.Phone.IsEmpty()) {
        for (int i = 0; i < phones.GetSize(); ++i) {
            const PhoneEntry entry = phones.GetAt(i);
            if (static_cast<DWORD>(entry.Kind) != button.Link) continue;
            if (entry.Kind == NotesPhoneKind && !(entry.Label == button.Type)) continue;
            if (entry.Number == button.Phone) return;
            button.Phone = entry.Number;
            button.Type = entry.Label;
            return;
        }
    }
    if (phones.GetSize() == 0) {
        button.Phone.Empty();
        return;
    }
    for (int i = 0; i < phones.GetSize(); ++i) {
        const PhoneEntry entry = phones.GetAt(i);
        if (!(entry.Label == button.Type)) continue;
        button.Phone = entry.Number;
        button.Link = static_cast<DWORD>(entry.Kind);
        return;
    }
    const PhoneEntry first = phones.GetAt(0);
    button.Phone = first.Number;
    button.Type = first.Label;
    button.Link = static_cast<DWORD>(first.Kind);
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

void SpeedDialModel::ReportPictureProblem(const wchar_t* what) {
    if (!pictureProblems_)
        pictureProblems_ = std::make_unique<ProblemReport>(L"Pictures", L"Paint", PictureProblemLimit);
    pictureProblems_->Add(what);
}

void SpeedDialModel::Load(int force) {
    // A reload fetches every picture again: its problems count afresh.
    pictureProblems_.reset();
    LoadFromRegistry();
    for (int i = 0; i < Buttons.GetSize(); ++i) Refresh(i, force);
}

void SpeedDialModel::Refresh(int index, int force) {
    const SpeedDialButton loaded = Buttons.GetAt(index);
    if (loaded.Oid == 0 && force != 1) return;
    SpeedDialButton button = loaded;
    ContactDetails contact;
    if (button.Oid == 0 || !ReadContact(Store, button.Oid, contact, ButtonFlags, 0, 0, 0)) {
        if (!Refind(button)) {
            button.Oid = 0;
            Buttons.SetAt(index, button);
            SaveChanges(index, loaded);
            return;
        }
        // A contact with the number exists but under another name: the button keeps what it has.
        if (!ReadContact(Store, button.Oid, contact, ButtonFlags, 0, 0, 0)) return;
    }
    button.HasPhoto = contact.HasPhoto;
    TakeNames(contact, button);
    BindNumber(contact, button);
    button.Phones = contact.Phones;
    button.SortName = contact.SortName;
    Buttons.SetAt(index, button);
    SaveChanges(index, loaded);
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
