#pragma once
// Settings under HKEY_CURRENT_USER\Software\Orvanix\PIM\<subkey>. Every call opens the key, does its
// one access and closes it again, so a value changed by another program counts at once.
#include "foundation/WString.h"

#include <windows.h>

#include <memory>

// The key HKEY_CURRENT_USER\Software\Orvanix\PIM\subkey, opened for reading or, with create, created
// if needed and opened for reading and writing; null on failure or a null subkey. The caller closes it.
HKEY OpenPimKey(const wchar_t* subkey, bool create);

// The stored REG_DWORD; defaultValue when the key, the value or the right type is missing.
int ReadDword(const wchar_t* subkey, const wchar_t* name, int defaultValue);

// The stored REG_SZ up to its first zero character; the empty string otherwise.
WString ReadString(const wchar_t* subkey, const wchar_t* name);

// The stored REG_BINARY bytes and their count; null with size 0 otherwise.
std::unique_ptr<BYTE[]> ReadBinary(const wchar_t* subkey, const wchar_t* name, DWORD& size);

// Writes a REG_DWORD into "Settings", creating the key if needed, and flushes it; 1 on success.
int WriteDword(const wchar_t* name, DWORD value);

// Every value the program keeps, with the default it reads when the value is absent.
namespace settings {

inline constexpr const wchar_t* SettingsKey = L"Settings";
inline constexpr const wchar_t* TemplatesKey = L"Templates";
inline constexpr const wchar_t* SmsTextKey = L"SmsText";
inline constexpr const wchar_t* AbcKey = L"ABC";

struct Dword {
    const wchar_t* subkey;
    const wchar_t* name;
    int defaultValue;
};

inline constexpr Dword SortType{SettingsKey, L"SortType", 0};
inline constexpr Dword DvShowBtn{SettingsKey, L"DvShowBtn", 0};
inline constexpr Dword DvShowType{SettingsKey, L"DvShowType", 0};
inline constexpr Dword DvBigBtn{SettingsKey, L"DvBigBtn", 1};
inline constexpr Dword BtnFeedback{SettingsKey, L"BtnFeedback", 2};
inline constexpr Dword ModPreload{SettingsKey, L"ModPreload", 1};
inline constexpr Dword SmsEnabled{SettingsKey, L"SmsEnabled", 1};
inline constexpr Dword SmsAlt{SettingsKey, L"SmsAlt", 0};
inline constexpr Dword D2Hack{SettingsKey, L"D2Hack", 1};
inline constexpr Dword VibroClickS{SettingsKey, L"VibroClickS", 40};
inline constexpr Dword VibroClickL{SettingsKey, L"VibroClickL", 40};
inline constexpr Dword TemplateCount{TemplatesKey, L"Count", -1};
inline constexpr Dword KeypadType{AbcKey, L"Type", -1};
// Read by the search service: 0 lists equal matches in name order rather than by calls first.
inline constexpr Dword RankByCalls{SettingsKey, L"RankByCalls", 1};

// Written around the creation of a preloaded main window; never read.
inline constexpr const wchar_t* HSTRF = L"HSTRF";

// Strings of "Settings"; absent reads as empty.
inline constexpr const wchar_t* ProgramPath = L"ProgramPath";
inline constexpr const wchar_t* SmsApp = L"SmsApp";
inline constexpr const wchar_t* SmsParam = L"SmsParam";

// The user's own key letters, REG_BINARY in "ABC".
inline constexpr const wchar_t* KeypadCustom = L"Custom";

inline int Read(const Dword& setting) {
    return ReadDword(setting.subkey, setting.name, setting.defaultValue);
}

} // namespace settings
