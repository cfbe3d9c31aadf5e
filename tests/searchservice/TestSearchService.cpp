// A search service for the client's tests, with canned replies chosen by the request text.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Reply(std::initializer_list<DWORD> ids, std::initializer_list<const wchar_t*> texts,
                        bool closed) {
    std::vector<BYTE> reply;
    auto put = [&](const void* data, size_t bytes) {
        reply.insert(reply.end(), static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes);
    };
    const DWORD count = static_cast<DWORD>(ids.size());
    put(&count, 4);
    for (DWORD id : ids) put(&id, 4);
    for (const wchar_t* text : texts) put(text, (wcslen(text) + 1) * sizeof(wchar_t));
    if (closed) put(L"", sizeof(wchar_t));
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

// Requests: "111" → two contacts; "big" → a reply larger than the first buffer; "never" → failure
// without a size; "short" → a count larger than the reply; code 1 "2" → ids with patterns, "open" →
// texts without their closing empty text.
__declspec(dllexport) BOOL TST_IOControl(DWORD, DWORD code, BYTE* input, DWORD inputBytes, BYTE* output,
                                         DWORD outputBytes, DWORD* actualBytes) {
    const std::wstring request(reinterpret_cast<const wchar_t*>(input), inputBytes / sizeof(wchar_t));
    std::vector<BYTE> reply;
    if (code == 5 && request == L"111") reply = Reply({7, 9}, {}, false);
    if (code == 5 && request == L"big") reply = Reply({42}, {}, false), reply.resize(100000);
    if (code == 5 && request == L"short") reply = Reply({1, 2}, {}, false), reply.resize(8), reply[0] = 200;
    if (code == 1 && request == L"2") reply = Reply({3, 1}, {L"abc", L"abc+def"}, true);
    if (code == 1 && request == L"open") reply = Reply({5}, {L"ab"}, false), reply.pop_back();
    if (reply.empty() || (code == 5 && request == L"never")) {
        *actualBytes = 0;
        return FALSE;
    }
    *actualBytes = static_cast<DWORD>(reply.size());
    if (reply.size() > outputBytes) return FALSE;
    std::memcpy(output, reply.data(), reply.size());
    return TRUE;
}
}
