// A gateway command for the transport's tests.
//   test_sms_gateway record <file> <argument>...   appends the arguments to file (each UTF-8 and a
//                                                   zero byte, the call closed by a 0x1E byte); exit 0
//   test_sms_gateway fail <status> <text>...        prints the texts, exits with status
//   test_sms_gateway hang ...                       never ends
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wcscmp(argv[1], L"record") == 0) {
        std::string block;
        for (int i = 3; i < argc; ++i) {
            const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
            std::string bytes(size, '\0');
            WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, bytes.data(), size, nullptr, nullptr);
            block += bytes; // with its zero byte
        }
        block += '\x1E';
        HANDLE file = CreateFileW(argv[2], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        const bool ok = file != INVALID_HANDLE_VALUE &&
                        WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return ok ? 0 : 2;
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"fail") == 0) {
        for (int i = 3; i < argc; ++i) std::fprintf(stderr, "%ls\n", argv[i]);
        return _wtoi(argv[2]);
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"hang") == 0) Sleep(INFINITE);
    return 100;
}
