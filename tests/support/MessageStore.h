#pragma once
// A message store of the test's own in a temporary folder, and the transport's settings, gone again
// when the test ends.
#include "platform/MessageFile.h"
#include "support/Processes.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class TestMessageStore {
public:
    TestMessageStore();  // points "StoreFolder" at a new empty folder
    ~TestMessageStore(); // removes HKEY_CURRENT_USER\Software\Orvanix\Messaging
    TestMessageStore(const TestMessageStore&) = delete;
    TestMessageStore& operator=(const TestMessageStore&) = delete;

    const std::wstring& Root() const { return folder_.Path(); }
    // The path of a folder of a store, "SMS" by default.
    std::wstring Folder(const wchar_t* folder, const wchar_t* store = L"SMS") const;
    // The message files of a folder, by name.
    std::vector<std::wstring> Files(const wchar_t* folder, const wchar_t* store = L"SMS") const;
    // The messages of a folder, read from their files (a file that does not read fails the test).
    std::vector<platform::StoredMessage> Messages(const wchar_t* folder, const wchar_t* store = L"SMS") const;

    // The gateway command, one string per argument (REG_MULTI_SZ), and its timeout in seconds.
    static void SetGateway(const std::vector<std::wstring>& command);
    static void SetGatewayTimeout(DWORD seconds);
    // The test gateway program beside the test binary, with its arguments.
    static std::vector<std::wstring> TestGateway(std::vector<std::wstring> arguments);
    // The calls the test gateway's "record" mode appended to file, each its list of arguments.
    static std::vector<std::vector<std::wstring>> RecordedCalls(const std::wstring& file);

private:
    TempFolder folder_;
};

} // namespace testing_support
