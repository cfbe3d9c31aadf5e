#include "ui/ResourceLibrary.h"

#include "foundation/ErrorLog.h"
#include "ui/ImageDecoding.h"
#include "ui/ScreenMetrics.h"

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

HBITMAP ResourceLibrary::LoadBitmap(int id, const wchar_t* name) {
    if (name) {
        wchar_t path[261];
        if (_snwprintf(path, 261, L"%s%s.bmp", SkinPath, name) > 0) {
            path[260] = 0;
            WString problem;
            if (HBITMAP bitmap = DecodeFile(GetImagingFactory(), path, &problem)) return bitmap;
            if (!problem.IsEmpty()) {
                WString line = path;
                line += L": ";
                line += problem;
                line += Library ? L"; the built-in image is used" : L"; there is no built-in image";
                ProblemReport(L"Skin", L"LoadBitmap").Add(line);
            }
        }
    }
    // As a DIB section, like the paint buffers it is copied onto.
    return Library ? static_cast<HBITMAP>(
                         LoadImageW(Library, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
                   : nullptr;
}

HBITMAP ResourceLibrary::LoadBitmapPreferring(int id1, const wchar_t* name1, int id2, const wchar_t* name2) {
    if (HBITMAP preferred = LoadBitmap(id2, name2)) return preferred;
    return LoadBitmap(id1, name1);
}

const wchar_t* ResourceLibrary::SkinFolder() const {
    return SkinPath;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}
