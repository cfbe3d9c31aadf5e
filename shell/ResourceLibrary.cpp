#include "shell/ResourceLibrary.h"

#include "shell/ScreenMetrics.h"

#include <cwchar>

ResourceLibrary SkinLibrary;

ResourceLibrary::~ResourceLibrary() {
    if (Library) FreeLibrary(Library);
}

int ResourceLibrary::LoadResourceLibrary(const wchar_t* libraryName, const wchar_t* highResLibraryName,
                                         const wchar_t* skinFolder) {
    if (skinFolder) {
        const size_t capacity = sizeof SkinPath / sizeof SkinPath[0];
        wcsncpy(SkinPath, skinFolder, capacity - 2);
        SkinPath[capacity - 2] = 0;
        const size_t length = wcslen(SkinPath);
        if (length && SkinPath[length - 1] != L'\\') wcscat(SkinPath, L"\\");
    }
    if (Library) return 1;
    const wchar_t* name = ScreenMetrics.HighDpi ? highResLibraryName : libraryName;
    Library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (Library) return 1;
    return skinFolder && GetFileAttributesW(skinFolder) != INVALID_FILE_ATTRIBUTES;
}

const wchar_t* ResourceLibrary::SkinFolder() const {
    return SkinPath;
}
