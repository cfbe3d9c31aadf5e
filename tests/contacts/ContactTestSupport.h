#pragma once
// Shared pieces of the contact tests: files of cards in a temporary folder and a session on them.
#include "contacts/ContactStore.h"
#include "foundation/WString.h"
#include "support/WStringPrinter.h"
#include "platform/ContactStoreFiles.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

inline void WriteBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A session on the cards at location, without watching them.
inline std::unique_ptr<ContactStore> SessionOn(std::shared_ptr<platform::VcardContactStore> store) {
    auto session = std::make_unique<ContactStore>();
    session->App = platform::CreateVcardApp(std::move(store));
    session->App->Logon(nullptr);
    return session;
}

inline std::shared_ptr<platform::VcardContactStore>
StoreAt(const std::wstring& location, const std::wstring& state = L"", bool watch = false) {
    return std::make_shared<platform::VcardContactStore>(
        platform::VcardContactStore::Options{location, state, watch});
}

// The object id of the only card whose sort name is sortName; 0 when none.
inline DWORD OidOf(const platform::VcardContactStore& store, std::string_view sortName) {
    auto snapshot = store.Snapshot();
    for (const auto& entry : snapshot->ByOid) {
        const vcard::CardSet& set = snapshot->Files[entry.File]->Set;
        if (set.Get(set.Cards[entry.Card], vcard::SortName) == sortName) return entry.Oid;
    }
    return 0;
}
