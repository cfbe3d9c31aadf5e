#include "skin/Skin.h"

#include "foundation/ErrorLog.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <cwchar>

namespace {

constexpr wchar_t DefaultFace[] = L"Tahoma";
constexpr wchar_t SkinSection[] = L"Dialvane";
constexpr const wchar_t* ColourKeys[] = {L"BgrColor",       L"TxtColor",        L"TxtSelectColor",
                                         L"BtnNumberColor", L"PhoneTypeColor1", L"PhoneTypeColor2"};
constexpr const wchar_t* FontKeys[] = {L"FontText", L"FontSmall", L"FontButton"};
// Lines of one load of the skin in the error log, before the line counting the rest.
constexpr int SkinProblemLimit = 20;
// Characters of a value shown in the error log; a longer one is cut there.
constexpr int ShownValueLength = 60;

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

// The value as a whole decimal number (a sign and digits, nothing else); false when it is not one.
bool WholeNumber(const WString& text, long& value) {
    const wchar_t* start = text;
    wchar_t* end = nullptr;
    value = std::wcstol(start, &end, 10);
    return end != start && !*end;
}

// What is wrong with the values of skin.ini, each problem one line of the error log naming the file,
// the key and its value.
class SkinProblems {
public:
    SkinProblems(const WString& path, const IniDocument& document, int section)
        : path_(path), document_(document), section_(section),
          report_(L"Skin", L"LoadSkin", SkinProblemLimit) {}

    void AboutFile(const wchar_t* what) {
        WString line = path_;
        line += L": ";
        line += what;
        report_.Add(line);
    }

    void About(const wchar_t* key, const wchar_t* what) {
        const WString value = GetIniValue(document_, section_, key);
        WString line;
        line.Format(L"%s: [%s] %s = %.*s%s: %s", static_cast<const wchar_t*>(path_), SkinSection, key,
                    ShownValueLength, static_cast<const wchar_t*>(value),
                    value.GetLength() > ShownValueLength ? L"..." : L"", what);
        report_.Add(line);
    }

    // Keys the skin does not know, and keys given twice (the first counts).
    void CheckKeys() {
        const IniSection section = GetSectionAt(document_, section_);
        for (int i = 0; i < section.keys.GetSize(); ++i) {
            const WString key = section.keys.GetAt(i);
            bool known = false;
            for (const wchar_t* name : ColourKeys) known = known || key == name;
            for (const wchar_t* name : FontKeys) known = known || key == name;
            bool repeated = false;
            for (int j = 0; j < i && !repeated; ++j) repeated = section.keys.GetAt(j) == key;
            if (!known || repeated) {
                WString line;
                line.Format(L"%s: [%s] %.*s%s: %s", static_cast<const wchar_t*>(path_), SkinSection,
                            ShownValueLength, static_cast<const wchar_t*>(key),
                            key.GetLength() > ShownValueLength ? L"..." : L"",
                            known ? L"given again; only the first counts"
                                  : L"not a key of the skin (letter case counts); it is ignored");
                report_.Add(line);
            }
        }
    }

    void CheckColour(const wchar_t* key) {
        Array<WString> items;
        const int count = GetIniList(document_, section_, key, items);
        if (count == 0) {
            if (!GetIniValue(document_, section_, key).IsEmpty())
                About(key, L"no numbers; the default is kept");
            return;
        }
        if (count < 3) {
            About(key, L"three numbers (red, green, blue) are needed; the default is kept");
            return;
        }
        for (int i = 0; i < 3; ++i) {
            long value = 0;
            if (WholeNumber(items.GetAt(i), value) && value >= 0 && value <= 255) continue;
            WString what;
            what.Format(L"%s is not a number from 0 to 255; it counts as %ld",
                        static_cast<const wchar_t*>(items.GetAt(i)), _wtol(items.GetAt(i)) & 0xFF);
            About(key, what);
            return;
        }
        if (count > 3) About(key, L"only the first three numbers count");
    }

    void CheckFont(const wchar_t* key, HFONT created) {
        Array<WString> items;
        const int count = GetIniList(document_, section_, key, items);
        if (count == 0) return;
        long value = 0;
        if (!WholeNumber(items.GetAt(0), value) || value <= 0)
            About(key, L"the size is not a number of points above 0");
        static constexpr const wchar_t* Flags[] = {L"weight (0, 1 or another number)", L"italic (0 or 1)",
                                                   L"ClearType (0 or 1)"};
        for (int i = 2; i < count && i < 5; ++i) {
            if (WholeNumber(items.GetAt(i), value)) continue;
            WString what;
            what.Format(L"%s is not a number for the %s; it counts as 0",
                        static_cast<const wchar_t*>(items.GetAt(i)), Flags[i - 2]);
            About(key, what);
        }
        if (count > 5) About(key, L"only the first five items count");
        if (!created) About(key, L"the font cannot be created; the built-in one is used");
    }

private:
    const WString& path_;
    const IniDocument& document_;
    int section_;
    ProblemReport report_;
};

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
        SkinProblems problems(path, document, section);
        if (section < document.Sections.GetSize()) {
            COLORREF* colours[] = {&skin.BgrColor,       &skin.TxtColor,        &skin.TxtSelectColor,
                                   &skin.BtnNumberColor, &skin.PhoneTypeColor1, &skin.PhoneTypeColor2};
            for (int i = 0; i < 6; ++i) GetIniColor(document, section, ColourKeys[i], *colours[i]);
            HFONT* fonts[] = {&skin.FontText, &skin.FontSmall, &skin.FontButton};
            for (int i = 0; i < 3; ++i) *fonts[i] = FontFromSkin(document, section, FontKeys[i]);
            problems.CheckKeys();
            for (const wchar_t* key : ColourKeys) problems.CheckColour(key);
            for (int i = 0; i < 3; ++i) problems.CheckFont(FontKeys[i], *fonts[i]);
        } else {
            problems.AboutFile(L"no section [Dialvane] (letter case counts); the built-in colours and fonts "
                               L"are used");
        }
    } else if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
        WString line = path;
        line += L": cannot be read, or is empty; the built-in colours and fonts are used";
        ProblemReport(L"Skin", L"LoadSkin").Add(line);
    }
    CreateDefaultFonts(skin);
}
