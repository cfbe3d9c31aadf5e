#pragma once
// The speed-dial buttons of the main screen, kept in step with the contact store and written to the
// registry (HKEY_CURRENT_USER\Software\Orvanix\PIM\Dialvane) the moment they change.
//
// What odd registry contents become: the list ends at the first missing "Oid<n>"; a number value that
// is missing or not exactly 4 bytes reads as its default (Btn -1, Index -1, Link 0); a text value of
// any type is read as UTF-16 up to its first zero or its end (an odd last byte is dropped); a
// negative Index is a button that no cell shows; of two buttons claiming one cell the first in the
// list is the one shown. Nothing is rewritten until an operation changes the buttons; a load writes
// only the values its refresh from the contacts changed.
#include "contacts/ContactStore.h"
#include "foundation/ErrorLog.h"
#include "model/SpeedDialButton.h"

#include <memory>

class SpeedDialModel {
public:
    SpeedDialModel() = default;
    SpeedDialModel(const SpeedDialModel&) = delete;
    SpeedDialModel& operator=(const SpeedDialModel&) = delete;
    virtual ~SpeedDialModel();

    // Array position of the button in the cell, or -1.
    int IndexOfPosition(int position) const;
    // Copies the button in the cell into button; 0 when the cell is empty.
    int GetByPosition(int position, SpeedDialButton& button) const;
    // The name shown on the button and used for sorting.
    static WString DisplayNameOf(const SpeedDialButton& button);

    // Reads every button from the registry and refreshes it from the contact store; with force 0,
    // buttons without a contact are left as they are.
    void Load(int force);
    // Writes the button at array position index, or all of them for -1 (after deleting the key).
    void Save(int index);

    // Binds the cell to the contact and one of its numbers.
    void AddFromContact(int position, DWORD oid, const PhoneEntry& entry);
    // Replaces the button in the cell (deleting its picture) or adds it; saves it.
    void SetAtPosition(int position, const SpeedDialButton& button);
    // Finds the button's contact again by its number; 1 when some contact with it can be read.
    int Refind(SpeedDialButton& button);

    // Gives the button in the cell the dialer key number (1..99, -1 = none), taking it from others.
    void AssignNumber(int position, int number);
    // Moves the button in cell from to cell to, and the one in cell to (if any) to cell from.
    void SwapPositions(int from, int to);
    // Removes the buttons in the cells of the list.
    void DeletePositions(const Array<int>& positions);
    // Orders the buttons by display name and packs them into cells 0, 1, 2, …
    void SortByName();

    // Deletes every picture and every button.
    void Clear();
    // Deletes every button's picture, so that each is fetched again (at a new photo size).
    void DropPhotos();
    // Writes a line about a button's picture that cannot be shown to the error log: at most
    // PictureProblemLimit lines from one load to the next, then one line counting the rest.
    void ReportPictureProblem(const wchar_t* what);

    static constexpr int PictureProblemLimit = 20;

    Array<SpeedDialButton> Buttons;
    int PhotoWidth = 0;
    int PhotoHeight = 0;
    ContactStore* Store = nullptr;

    static constexpr wchar_t RegistryKey[] = L"Software\\Orvanix\\PIM\\Dialvane";

private:
    void LoadFromRegistry();
    // Brings one loaded button up to date with its contact, writing the values that changed.
    void Refresh(int index, int force);
    // Writes the values of the button at array position index that differ from before; touches the
    // registry only when one does.
    void SaveChanges(int index, const SpeedDialButton& before);
    // Removes the button at array position index, deleting its picture.
    void RemoveAt(int index);

    std::unique_ptr<ProblemReport> pictureProblems_; // since the last load; made at the first problem
};
