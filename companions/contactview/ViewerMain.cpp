// The contact viewer: "v <object id in hex>" opens that contact.
#include "companions/contactview/ContactViewWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

// The object id of "v <hex>" in the arguments; 0 when they are not of that form.
unsigned long ObjectIdOf(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    unsigned long oid = 0;
    // The command line may or may not start with the program's own path.
    for (int i = 0; arguments && i + 1 < count; ++i) {
        if (std::wcscmp(arguments[i], L"v") != 0) continue;
        wchar_t* end = nullptr;
        oid = std::wcstoul(arguments[i + 1], &end, 16);
        if (!end || *end) oid = 0;
        break;
    }
    LocalFree(arguments);
    return oid;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    ContactViewWindow viewer;
    if (!viewer.Open(ObjectIdOf(GetCommandLineW()))) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
