#include "support/Registry.h"

namespace testing_support {

void DeletePimBranch() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM");
}

std::optional<DWORD> GetDword(HKEY root, const wchar_t* path, const wchar_t* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(root, path, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void SetDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(root, path, name, REG_DWORD, &value, sizeof value);
}

void SetString(HKEY root, const wchar_t* path, const wchar_t* name, const wchar_t* value) {
    RegSetKeyValueW(root, path, name, REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

} // namespace testing_support
