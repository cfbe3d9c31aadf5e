#include "support/MessageStore.h"

#include "platform/MessageStoreFolders.h"
#include "platform/Utf8Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace testing_support {

namespace {

constexpr wchar_t MessagingPath[] = L"Software\\Orvanix\\Messaging";

} // namespace

TestMessageStore::TestMessageStore() {
    RegDeleteTreeW(HKEY_CURRENT_USER, MessagingPath);
    const std::wstring& root = folder_.Path();
    RegSetKeyValueW(HKEY_CURRENT_USER, MessagingPath, L"StoreFolder", REG_SZ, root.c_str(),
                    static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
}

TestMessageStore::~TestMessageStore() {
    RegDeleteTreeW(HKEY_CURRENT_USER, MessagingPath);
}

std::wstring TestMessageStore::Folder(const wchar_t* folder, const wchar_t* store) const {
    return Root() + L"\\" + store + L"\\" + folder;
}

std::vector<std::wstring> TestMessageStore::Files(const wchar_t* folder, const wchar_t* store) const {
    return platform::ListMessageFiles(Folder(folder, store));
}

std::vector<platform::StoredMessage> TestMessageStore::Messages(const wchar_t* folder,
                                                                const wchar_t* store) const {
    std::vector<platform::StoredMessage> messages;
    for (const std::wstring& name : Files(folder, store)) {
        std::wstring problem;
        platform::StoredMessage message;
        EXPECT_EQ(platform::ReadMessageFile(Folder(folder, store) + L"\\" + name, message, problem),
                  platform::FileRead::Ok)
            << problem.c_str();
        messages.push_back(message);
    }
    return messages;
}

void TestMessageStore::SetGateway(const std::vector<std::wstring>& command) {
    std::wstring data;
    for (const std::wstring& argument : command) data += argument + L'\0';
    data += L'\0';
    RegSetKeyValueW(HKEY_CURRENT_USER, MessagingPath, L"GatewayCommand", REG_MULTI_SZ, data.data(),
                    static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

void TestMessageStore::SetGatewayTimeout(DWORD seconds) {
    RegSetKeyValueW(HKEY_CURRENT_USER, MessagingPath, L"GatewayTimeout", REG_DWORD, &seconds, sizeof seconds);
}

std::vector<std::wstring> TestMessageStore::TestGateway(std::vector<std::wstring> arguments) {
    arguments.insert(arguments.begin(), BesideTestBinary(L"test_sms_gateway.exe"));
    return arguments;
}

std::vector<std::vector<std::wstring>> TestMessageStore::RecordedCalls(const std::wstring& file) {
    std::ifstream in(file.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<std::wstring>> calls;
    std::vector<std::wstring> call;
    std::string argument;
    for (char c : bytes) {
        if (c == '\x1E') {
            calls.push_back(std::move(call));
            call.clear();
        } else if (c == '\0') {
            std::wstring text;
            platform::FromUtf8(argument, text);
            call.push_back(text);
            argument.clear();
        } else {
            argument += c;
        }
    }
    return calls;
}

} // namespace testing_support
