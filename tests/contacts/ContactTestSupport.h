#pragma once
// Shared pieces of the contact tests: files of cards in a temporary folder and a session on them.
#include "contacts/ContactStore.h"
#include "foundation/WString.h"
#include "support/WStringPrinter.h"
#include "companions/contactstore/VcardApp.h"
#include "platform/MainWindowMessages.h"
#include "foundation/DataFiles.h"
#include "support/Processes.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// A 3.0 card with the given UID (none when empty), N value and one mobile number.
inline std::string Card(std::string_view uid, std::string_view name, std::string_view number) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    if (!uid.empty()) card.append("UID:").append(uid).append("\r\n");
    return card.append("N:")
        .append(name)
        .append(";\r\nTEL;TYPE=CELL:")
        .append(number)
        .append("\r\nEND:VCARD\r\n");
}

inline void WriteBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A session on the cards at location, without watching them.
inline std::unique_ptr<ContactStore> SessionOn(std::shared_ptr<contactstore::VcardContactStore> store) {
    auto session = std::make_unique<ContactStore>();
    session->App = new contactstore::VcardApp(std::move(store));
    session->App->Logon(nullptr);
    return session;
}

inline std::shared_ptr<contactstore::VcardContactStore> StoreAt(const std::wstring& location,
                                                                const std::wstring& state = L"",
                                                                bool watch = false,
                                                                const std::wstring& cache = L"") {
    return std::make_shared<contactstore::VcardContactStore>(
        contactstore::VcardContactStore::Options{location, state, watch, cache});
}

// The object id of the only card whose sort name is sortName; 0 when none.
inline DWORD OidOf(const contactstore::VcardContactStore& store, std::string_view sortName) {
    auto snapshot = store.Snapshot();
    for (const auto& entry : snapshot->ByOid) {
        if (snapshot->SetOf(entry).Get(snapshot->CardOf(entry), vcard::SortName) == sortName)
            return entry.Oid;
    }
    return 0;
}

// The lines the error log gained while action ran, without their time stamps and sources.
template <class Action> std::vector<std::string> LogLinesOf(Action action) {
    auto read = [] {
        std::ifstream file(std::filesystem::path(ErrorLogPath()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    const size_t before = read().size();
    action();
    const std::string added = read().substr(before);
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = added.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = added.substr(start, end - start);
        line = line.substr(std::min<size_t>(22, line.size())); // "yyyy.MM.dd HH:mm:ss - "
        lines.push_back(line.substr(0, line.find("\t\t")));
    }
    return lines;
}

// A window of the main window's class on this thread that counts the contact change notices (message
// 2024 with lParam 2) it receives.
class MainWindowStandIn {
public:
    MainWindowStandIn() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == ContactsChangedMessage && lParam == ContactsChanged) ++Received();
            return DefWindowProcW(window, message, wParam, lParam);
        };
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = MainWindowClassName;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
        Received() = 0;
    }
    ~MainWindowStandIn() { DestroyWindow(window_); }
    MainWindowStandIn(const MainWindowStandIn&) = delete;
    MainWindowStandIn& operator=(const MainWindowStandIn&) = delete;

    // Pumps messages until a notice arrives (false after ten seconds without one), then for another
    // quietMs; the notices counted since the last call are in received.
    bool WaitForNotice(DWORD quietMs = 0, int* received = nullptr) {
        const bool arrived = testing_support::WaitUntil(
            [] {
                Pump();
                return Received() > 0;
            },
            10000);
        testing_support::WaitUntil(
            [] {
                Pump();
                return false;
            },
            quietMs);
        if (received) *received = Received();
        Received() = 0;
        return arrived;
    }

private:
    static int& Received() {
        static int received = 0;
        return received;
    }
    static void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }

    HWND window_;
};
