#include "messaging/MessagingApp.h"

#include "foundation/ScopedHandles.h"
#include "foundation/Settings.h"
#include "phonenumbers/CharClasses.h"
#include "platform/ProcessLauncher.h"

#include <cwchar>

namespace {

constexpr wchar_t InboxKey[] = L"Software\\Microsoft\\Shell\\Rai\\:MSINBOX";
constexpr wchar_t InboxValue[] = L"1";
constexpr int InboxBufferChars = 260;
constexpr wchar_t SmsService[] = L"SMS";
constexpr wchar_t DefaultInboxApp[] = L"tmail.exe";
constexpr wchar_t FallbackInboxApp[] = L"pmail.exe";
constexpr wchar_t NumberCharacters[] = L"+1234567890";
constexpr wchar_t NameRemovedCharacters[] = L",;[]{}<>:";
constexpr int NumberBufferChars = 100;
constexpr int NameBufferChars = 256;

bool Start(const wchar_t* application, const WString& commandLine) {
    WString writable = commandLine;
    wchar_t* line = writable.GetBuffer(writable.GetLength());
    if (!line) return false;
    PROCESS_INFORMATION info = {};
    const BOOL started = platform::CreateProcessW(application, line, nullptr, nullptr, FALSE, 0, nullptr,
                                                  nullptr, nullptr, &info);
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    return started;
}

// text with its first occurrence of marker replaced by value; text itself when there is none.
WString ReplaceFirst(const WString& text, const wchar_t* marker, const wchar_t* value) {
    const wchar_t* found = std::wcsstr(text, marker);
    if (!found) return text;
    const int at = static_cast<int>(found - static_cast<const wchar_t*>(text));
    WString result = text.Left(at);
    result += value;
    result += text.Right(text.GetLength() - at - static_cast<int>(std::wcslen(marker)));
    return result;
}

} // namespace

WString GetInboxAppPath() {
    WString path;
    ScopedRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, InboxKey, 0, nullptr, 0, KEY_READ, nullptr, key.Receive(),
                        nullptr) == ERROR_SUCCESS) {
        wchar_t command[InboxBufferChars] = {};
        DWORD bytes = sizeof command;
        RegQueryValueExW(key.Get(), InboxValue, nullptr, nullptr, reinterpret_cast<BYTE*>(command), &bytes);
        // A value that fills the buffer comes without its terminator.
        command[InboxBufferChars - 1] = 0;
        for (const wchar_t* c = command; *c; ++c)
            if (*c != L'"') path += *c;
    }
    if (path.IsEmpty()) path = DefaultInboxApp;
    return path;
}

void OpenMessagingApp(const wchar_t* number, const wchar_t* name) {
    wchar_t cleanNumber[NumberBufferChars];
    wchar_t cleanName[NameBufferChars];
    if (!CopyOnly(number ? number : L"", cleanNumber, NumberCharacters, NumberBufferChars))
        cleanNumber[0] = 0;
    if (!CopyWithout(name ? name : L"", cleanName, NameRemovedCharacters, NameBufferChars)) cleanName[0] = 0;

    const WString customApp = ReadString(settings::SettingsKey, settings::SmsApp);
    const WString pattern = ReadString(settings::SettingsKey, settings::SmsParam);
    if (!customApp.IsEmpty() && !pattern.IsEmpty() && std::wcsstr(pattern, L"%p")) {
        const WString line = ReplaceFirst(ReplaceFirst(pattern, L"%p", cleanNumber), L"%n", cleanName);
        if (Start(customApp, line)) return;
    }

    const WString inbox = GetInboxAppPath();
    WString line;
    if (*cleanName)
        line.Format(L"-service \"%s\" -To \"%s<%s>\"", SmsService, cleanName, cleanNumber);
    else
        line.Format(L"-service \"%s\" -To \"%s\"", SmsService, cleanNumber);
    if (!Start(inbox, line)) Start(FallbackInboxApp, line);
}
