// A search service for the client's tests: "111" gets a well-formed reply, any
// other request a reply of that many bytes of noise.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Reply(std::vector<DWORD> ids, const std::wstring& texts) {
    ids.insert(ids.begin(), static_cast<DWORD>(ids.size()));
    std::vector<BYTE> reply(reinterpret_cast<const BYTE*>(ids.data()),
                            reinterpret_cast<const BYTE*>(ids.data() + ids.size()));
    const auto* text = reinterpret_cast<const BYTE*>(texts.c_str());
    reply.insert(reply.end(), text, text + (texts.size() + 1) * sizeof(wchar_t));
    return reply;
}

// Bytes from a fixed generator seeded by the length; odd lengths start with a
// small count that may or may not fit what follows.
std::vector<BYTE> Noise(size_t length) {
    std::vector<BYTE> reply(length);
    std::minstd_rand random(static_cast<unsigned>(length));
    for (BYTE& byte : reply) byte = static_cast<BYTE>(random() >> 8);
    if (length >= 4 && length % 2) {
        const DWORD count = static_cast<DWORD>(length % 11);
        std::memcpy(reply.data(), &count, 4);
    }
    return reply;
}

} // namespace

extern "C" {

__declspec(dllexport) BOOL MyRegService() {
    return TRUE;
}

__declspec(dllexport) DWORD TST_Init(DWORD) {
    return 1;
}

__declspec(dllexport) BOOL TST_Deinit(DWORD) {
    return TRUE;
}

// Code 5 "111" → contacts 7 and 9 in a reply larger than the client's first
// buffer; code 1 "111" → contacts 3 and 1 with the texts "abc" and "abc+def";
// code 1 "many" → the same contacts with 1,000 texts "abc"; code 2 for contact 3
// → a record without a name and with the one number "555"; "" → failure
// without a size.
__declspec(dllexport) BOOL TST_IOControl(DWORD, DWORD code, BYTE* input, DWORD inputBytes, BYTE* output,
                                         DWORD outputBytes, DWORD* actualBytes) {
    const std::wstring request(reinterpret_cast<const wchar_t*>(input), inputBytes / sizeof(wchar_t));
    std::vector<BYTE> reply;
    DWORD oid = 0;
    if (code == 2 && inputBytes == sizeof oid) std::memcpy(&oid, input, sizeof oid);
    if (oid == 3)
        reply = Reply({3}, std::wstring(L"\0"
                                        L"555\0"
                                        L"\x1\0"
                                        L"\0"
                                        L"\0",
                                        9));
    else if (request == L"many" && code == 1) {
        std::wstring texts;
        for (int i = 0; i < 1000; ++i) texts += std::wstring(L"abc\0", 4);
        reply = Reply({3, 1}, texts);
    } else if (request == L"111" && code == 5)
        reply = Reply({7, 9}, L""), reply.resize(100000);
    else if (request == L"111")
        reply = Reply({3, 1}, std::wstring(L"abc\0abc+def\0", 12));
    else if (!request.empty() && request[0] != L'\0')
        reply = Noise(wcstoul(request.c_str(), nullptr, 10));
    *actualBytes = static_cast<DWORD>(reply.size());
    if (reply.empty() || reply.size() > outputBytes) return FALSE;
    std::memcpy(output, reply.data(), reply.size());
    return TRUE;
}
}
