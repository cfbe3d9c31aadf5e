#pragma once
// Direct access to the test prefix's registry, to arrange and inspect what the program stores.
#include <windows.h>

#include <optional>

namespace testing_support {

// Removes HKEY_CURRENT_USER\Software\Orvanix\PIM with everything below it.
void DeletePimBranch();

std::optional<DWORD> GetDword(HKEY root, const wchar_t* path, const wchar_t* name);
void SetDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value);
void SetString(HKEY root, const wchar_t* path, const wchar_t* name, const wchar_t* value);
void DeleteValue(HKEY root, const wchar_t* path, const wchar_t* name);

// Sets the logical resolution that processes started from now on see, and puts the old one back.
class ScopedDpi {
public:
    explicit ScopedDpi(DWORD dpi);
    ScopedDpi(const ScopedDpi&) = delete;
    ScopedDpi& operator=(const ScopedDpi&) = delete;
    ~ScopedDpi();

private:
    std::optional<DWORD> previous_;
};

} // namespace testing_support
