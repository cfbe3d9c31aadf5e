#include "skin/Skin.h"

#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <cwchar>

namespace {

constexpr wchar_t DefaultFace[] = L"Tahoma";
constexpr wchar_t SkinSection[] = L"Dialvane";

LOGFONTW SystemFontDescription() {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    font.lfWidth = 0;
    font.lfOutPrecision = 0;
    font.lfClipPrecision = 0;
    return font;
}

void SetFace(LOGFONTW& font, const wchar_t* face) {
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = 0;
}

void DeleteFont(HFONT& font) {
    if (font) DeleteObject(font);
    font = nullptr;
}

} // namespace

SkinValues::~SkinValues() {
    DeleteFont(FontText);
    DeleteFont(FontSmall);
    DeleteFont(FontButton);
}

int FontHeightFromPoints(int points, int dpiY) {
    return -static_cast<int>(points * static_cast<double>(dpiY) / 72 + 0.5);
}

HFONT FontFromSkin(const IniDocument& document, int section, const wchar_t* key) {
    int size = 0, weight = 0, italic = 0, clearType = 0;
    WString face = DefaultFace;
    if (!GetIniFont(document, section, key, size, face, weight, italic, &clearType)) return nullptr;
    LOGFONTW font = SystemFontDescription();
    font.lfQuality = clearType ? CLEARTYPE_QUALITY : DEFAULT_QUALITY;
    SetFace(font, face);
    font.lfHeight = FontHeightFromPoints(size, ScreenMetrics.DpiY);
    font.lfWeight = weight == 0 ? FW_NORMAL : weight == 1 ? FW_BOLD : FW_SEMIBOLD;
    font.lfItalic = italic ? TRUE : FALSE;
    return CreateFontIndirectW(&font);
}

void CreateDefaultFonts(SkinValues& skin) {
    LOGFONTW font = SystemFontDescription();
    SetFace(font, DefaultFace);
    const auto create = [&](HFONT& target, int points, LONG weight, BYTE quality) {
        if (target) return;
        font.lfHeight = FontHeightFromPoints(points, ScreenMetrics.DpiY);
        font.lfWeight = weight;
        font.lfQuality = quality;
        target = CreateFontIndirectW(&font);
    };
    create(skin.FontSmall, 7, FW_NORMAL, DEFAULT_QUALITY);
    create(skin.FontText, 8, FW_BOLD, CLEARTYPE_QUALITY);
    create(skin.FontButton, 7, FW_NORMAL, NONANTIALIASED_QUALITY);
}

void LoadSkin(SkinValues& skin) {
    DeleteFont(skin.FontText);
    DeleteFont(skin.FontSmall);
    DeleteFont(skin.FontButton);
    skin.BgrColor = SkinValues::DefaultBgrColor;
    skin.TxtColor = SkinValues::White;
    skin.TxtSelectColor = SkinValues::Black;
    skin.BtnNumberColor = SkinValues::White;
    skin.PhoneTypeColor1 = SkinValues::White;
    skin.PhoneTypeColor2 = SkinValues::Black;

    WString path = SkinLibrary.SkinFolder();
    path += L"skin.ini";
    IniDocument document;
    if (LoadIniFile(document, path)) {
        int section = 0;
        while (section < document.Sections.GetSize() &&
               !(GetSectionAt(document, section).name == SkinSection))
            ++section;
        if (section < document.Sections.GetSize()) {
            GetIniColor(document, section, L"BgrColor", skin.BgrColor);
            GetIniColor(document, section, L"TxtColor", skin.TxtColor);
            GetIniColor(document, section, L"TxtSelectColor", skin.TxtSelectColor);
            GetIniColor(document, section, L"BtnNumberColor", skin.BtnNumberColor);
            GetIniColor(document, section, L"PhoneTypeColor1", skin.PhoneTypeColor1);
            GetIniColor(document, section, L"PhoneTypeColor2", skin.PhoneTypeColor2);
            skin.FontText = FontFromSkin(document, section, L"FontText");
            skin.FontSmall = FontFromSkin(document, section, L"FontSmall");
            skin.FontButton = FontFromSkin(document, section, L"FontButton");
        }
    }
    CreateDefaultFonts(skin);
}
