#pragma once
// The skin's colours and fonts: "skin.ini" in the skin folder, section "Dialvane", over built-in
// defaults. Sizes in the file are points, so a skin looks alike at every resolution.
#include "skin/IniDocument.h"

#include <windows.h>

// The main screen's skin values. The fonts belong to this record and are deleted with it.
struct SkinValues {
    static constexpr COLORREF White = RGB(255, 255, 255);
    static constexpr COLORREF Black = RGB(0, 0, 0);
    static constexpr COLORREF DefaultBgrColor = RGB(59, 70, 80);

    SkinValues() = default;
    SkinValues(const SkinValues&) = delete;
    SkinValues& operator=(const SkinValues&) = delete;
    ~SkinValues();

    HFONT FontText = nullptr;   // contact names
    HFONT FontSmall = nullptr;  // number kind labels and dial numbers
    HFONT FontButton = nullptr; // captions of the bottom panel
    COLORREF BgrColor = DefaultBgrColor;
    COLORREF TxtColor = White;
    COLORREF TxtSelectColor = Black;
    COLORREF BtnNumberColor = White;
    COLORREF PhoneTypeColor1 = White;
    COLORREF PhoneTypeColor2 = Black; // the label's shadow, drawn only when it differs
};

// Font height in pixels (negative: character height) for a size in points at dpiY.
int FontHeightFromPoints(int points, int dpiY);

// Resets the colours to their defaults and deletes the fonts, reads "skin.ini" from the skin folder of
// SkinLibrary, then creates the built-in fonts for whatever the file left out. A missing or malformed
// file, a missing section or a bad value silently keeps the default.
void LoadSkin(SkinValues& skin);

// The font described by key in section, at the screen's DpiY; null when the value has no item or the
// font cannot be created.
HFONT FontFromSkin(const IniDocument& document, int section, const wchar_t* key);

// Creates the built-in font for each of the three fonts that is still null.
void CreateDefaultFonts(SkinValues& skin);
