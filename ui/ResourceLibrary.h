#pragma once
// Where the program's images come from: bitmap files in the skin folder beside the executable, with a
// resource-only library chosen by the screen's resolution behind them.
#include <windows.h>

class ResourceLibrary {
public:
    ResourceLibrary() = default;
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;
    virtual ~ResourceLibrary();

    // Remembers the skin folder and loads the library for this screen (highResLibraryName on a high
    // resolution screen). 1 when the library loaded, or when it did not but the skin folder exists.
    virtual int LoadResourceLibrary(const wchar_t* libraryName, const wchar_t* highResLibraryName,
                                    const wchar_t* skinFolder);
    // The skin folder's file name + ".bmp" when it exists and decodes, else the library's bitmap id;
    // null when neither is there. The caller deletes the bitmap. A file that exists but does not decode
    // leaves a line in the error log.
    virtual HBITMAP LoadBitmap(int id, const wchar_t* name);
    // LoadBitmap(id2, name2), or LoadBitmap(id1, name1) when that gives nothing.
    virtual HBITMAP LoadBitmapPreferring(int id1, const wchar_t* name1, int id2, const wchar_t* name2);
    // The skin folder with its trailing backslash.
    virtual const wchar_t* SkinFolder() const;

    HMODULE Library = nullptr;
    wchar_t SkinPath[264] = {};
};

// The size of bitmap; 0 × 0 for a null or unreadable one (a missing skin image takes no room).
SIZE BitmapSize(HBITMAP bitmap);

// The program's one resource library, living for the whole process.
extern ResourceLibrary SkinLibrary;
