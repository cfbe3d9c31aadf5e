#pragma once
// A reader for INI-style text: "[section]" lines, "key=value" lines and ";" comment lines. Everything
// is kept as text; lists, colours and font descriptions are read at query time.
#include "foundation/Array.h"
#include "foundation/WString.h"

#include <windows.h>

// One section: its name and its key/value pairs in file order (values[i] belongs to keys[i]).
struct IniSection {
    WString name;
    Array<WString> keys;
    Array<WString> values;
};

class IniDocument {
public:
    IniDocument() = default;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;
    virtual ~IniDocument() = default;

    Array<IniSection> Sections;
};

// Maps the file read-only and parses it. False, adding nothing, when the file cannot be opened or
// mapped (an empty file cannot be mapped either).
bool LoadIniFile(IniDocument& document, const wchar_t* path);

// Appends the sections found in the bytes. Every byte becomes the character with the same code; lines
// that are not sections, comments or well-formed key lines inside a section are skipped.
void ParseIni(IniDocument& document, const unsigned char* bytes, size_t length);

// A copy of section index; out of range raises the array's index assertion.
IniSection GetSectionAt(const IniDocument& document, int index);

// Value of the first key equal to key (case-sensitive); empty for a bad index or a missing key.
WString GetIniValue(const IniDocument& document, int section, const wchar_t* key);

// The value split at commas into trimmed, non-empty items (items is emptied first); the item count.
int GetIniList(const IniDocument& document, int section, const wchar_t* key, Array<WString>& items);

// "red, green, blue", each cut to 8 bits, as a COLORREF. False and colour untouched with fewer than
// three items.
bool GetIniColor(const IniDocument& document, int section, const wchar_t* key, COLORREF& colour);

// "size [, face [, weight [, italic [, ClearType]]]]". Writes only the outputs whose item is present;
// clearType may be null. False when the value has no item.
bool GetIniFont(const IniDocument& document, int section, const wchar_t* key, int& size, WString& face,
                int& weight, int& italic, int* clearType = nullptr);
