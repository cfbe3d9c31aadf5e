// The skin's colours and fonts read from "skin.ini" over the built-in defaults.
#include "skin/Skin.h"

#include "foundation/TestHelpers.h"
#include "shell/ResourceLibrary.h"
#include "shell/ScreenMetrics.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct FontFacts {
    std::wstring face;
    LONG height, weight;
    BYTE italic, quality;
};

FontFacts FactsOf(HFONT font) {
    LOGFONTW description = {};
    EXPECT_NE(font, nullptr);
    GetObjectW(font, sizeof description, &description);
    return {description.lfFaceName, description.lfHeight, description.lfWeight, description.lfItalic,
            description.lfQuality};
}

// A skin folder of its own with the given "skin.ini" (none for nullptr), at the given dpi.
class SkinFile : public testing::Test {
protected:
    void TearDown() override { ScreenMetrics = saved_; }

    void Use(const char* ini, int dpi = 96) {
        if (ini) std::ofstream(std::filesystem::path(folder_ / L"skin.ini"), std::ios::binary) << ini;
        SkinLibrary.LoadResourceLibrary(L"NoSuchLibrary.dll", L"NoSuchLibrary.dll", folder_.Path().c_str());
        ScreenMetrics.DpiX = ScreenMetrics.DpiY = dpi;
        ScreenMetrics.HighDpi = dpi > 131;
    }

    testing_support::TempFolder folder_;
    ScreenMetricsRecord saved_ = ScreenMetrics;
};

TEST_F(SkinFile, MissingFileGivesTheBuiltInLook) {
    Use(nullptr, 192);
    SkinValues skin;
    LoadSkin(skin);
    EXPECT_EQ(FactsOf(skin.FontText).height, -21);
    EXPECT_EQ(FactsOf(skin.FontSmall).height, -19);
    Use(nullptr);
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(59, 70, 80));
    const FontFacts text = FactsOf(skin.FontText), small = FactsOf(skin.FontSmall),
                    button = FactsOf(skin.FontButton);
    EXPECT_EQ(text.face + small.face + button.face, L"TahomaTahomaTahoma");
    EXPECT_EQ((std::vector<LONG>{text.height, small.height, button.height}),
              (std::vector<LONG>{-11, -9, -9}));
    EXPECT_EQ((std::vector<LONG>{text.weight, small.weight, button.weight}),
              (std::vector<LONG>{700, 400, 400}));
    EXPECT_EQ((std::vector<int>{text.quality, small.quality, button.quality}),
              (std::vector<int>{CLEARTYPE_QUALITY, DEFAULT_QUALITY, NONANTIALIASED_QUALITY}));
}

TEST_F(SkinFile, ValuesOfTheExactSectionOverrideTheDefaultsOneByOne) {
    Use("[Other]\nBgrColor=1,1,1\n[dialvane]\nTxtSelectColor=9,9,9\n"
        "[Dialvane]\nBgrColor=10,20,30\nTxtColor=255, 0\nBtnNumberColor=300,0,0\nPhoneTypeColor2=\n"
        "FontButton=,\n"
        "[Dialvane]\nTxtColor=9,9,9\n");
    SkinValues skin;
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(10, 20, 30));
    EXPECT_EQ(skin.TxtColor, 0xFFFFFFu) << "two items keep the default";
    EXPECT_EQ(skin.TxtSelectColor, 0u) << "the section name must match exactly";
    EXPECT_EQ(skin.BtnNumberColor, RGB(44, 0, 0));
    EXPECT_EQ(skin.PhoneTypeColor2, 0u);
    EXPECT_EQ(FactsOf(skin.FontButton).quality, NONANTIALIASED_QUALITY)
        << "an empty font value keeps the built-in font";

    DeleteFileW((folder_ / L"skin.ini").c_str());
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(59, 70, 80)) << "loading again starts from the defaults";
}

TEST_F(SkinFile, FontDescriptionsMapToWeightsAndStyles) {
    struct Case {
        const char* value;
        const wchar_t* face;
        LONG height, weight;
        BYTE italic, quality;
    };
    const Case cases[] = {
        {"10, Arial, 1, 0, 1", L"Arial", -13, 700, 0, CLEARTYPE_QUALITY},
        {"9,,1", L"1", -12, 400, 0, DEFAULT_QUALITY},   // empty items are dropped: "1" becomes the face
        {"9", L"Tahoma", -12, 400, 0, DEFAULT_QUALITY}, // only the items present are written
        {"12,Verdana,2,1,0", L"Verdana", -16, 600, 1, DEFAULT_QUALITY},
        {"8,Tahoma,-1,7", L"Tahoma", -11, 600, 1, DEFAULT_QUALITY},
    };
    for (const Case& c : cases) {
        Use((std::string("[Dialvane]\nFontText=") + c.value + "\n").c_str());
        SkinValues skin;
        LoadSkin(skin);
        const FontFacts f = FactsOf(skin.FontText);
        EXPECT_EQ(f.face, c.face) << c.value;
        EXPECT_EQ(f.height * 10000 + f.weight * 10 + f.italic, c.height * 10000 + c.weight * 10 + c.italic)
            << c.value;
        EXPECT_EQ(f.quality, c.quality) << c.value;
    }
}

// The skin shipped beside the program sets every key with a valid value.
TEST(ShippedSkin, SetsEveryColourAndFont) {
    IniDocument document;
    ASSERT_TRUE(LoadIniFile(document, testing_support::BesideTestBinary(L"DialvaneSkin\\skin.ini").c_str()));
    ASSERT_GE(document.Sections.GetSize(), 1);
    ASSERT_EQ(GetSectionAt(document, 0).name, L"Dialvane");
    for (const wchar_t* key : {L"BgrColor", L"TxtColor", L"TxtSelectColor", L"BtnNumberColor",
                               L"PhoneTypeColor1", L"PhoneTypeColor2"}) {
        COLORREF colour = 0;
        EXPECT_TRUE(GetIniColor(document, 0, key, colour)) << key;
    }
    for (const wchar_t* key : {L"FontText", L"FontSmall", L"FontButton"}) {
        int size = 0, weight = 0, italic = 0, clearType = 0;
        WString face;
        EXPECT_TRUE(GetIniFont(document, 0, key, size, face, weight, italic, &clearType)) << key;
        EXPECT_GE(size, 6) << key;
        EXPECT_EQ(face, L"Tahoma") << key;
    }
}

// Randomly damaged copies of a good file always load: all three fonts exist and the reader keeps
// only well-formed lines.
TEST_F(SkinFile, DamagedFilesFallBackQuietly) {
    const std::string good =
        "[Dialvane]\r\nBgrColor=24,28,36\r\nTxtColor=240,244,250\r\nFontText=8,Tahoma,1,0,1\r\n"
        "FontSmall=7,Tahoma,0\r\nFontButton=7,Tahoma,0\r\n";
    std::mt19937 random(1205);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = good;
        for (int edits = 1 + random() % 8; edits > 0; --edits) {
            const size_t at = random() % (damaged.size() + 1);
            switch (random() % 3) {
            case 0:
                damaged.insert(at, 1, static_cast<char>(random() % 256));
                break;
            case 1:
                if (at < damaged.size()) damaged.erase(at, 1 + random() % 6);
                break;
            default:
                if (at < damaged.size()) damaged[at] = "[]=,;\r\n 9"[random() % 10];
            }
        }
        Use(damaged.c_str());
        SkinValues skin;
        LoadSkin(skin);
        EXPECT_NE(skin.FontText, nullptr);
        EXPECT_NE(skin.FontSmall, nullptr);
        EXPECT_NE(skin.FontButton, nullptr);
        // Whatever the reader keeps obeys the line rules.
        IniDocument document;
        LoadIniFile(document, (folder_ / L"skin.ini").c_str());
        for (int s = 0; s < document.Sections.GetSize(); ++s) {
            const IniSection section = GetSectionAt(document, s);
            ASSERT_EQ(section.keys.GetSize(), section.values.GetSize());
            for (int k = 0; k < section.keys.GetSize(); ++k) {
                for (const WString& text : {section.keys.GetAt(k), section.values.GetAt(k)}) {
                    ASSERT_GT(text.GetLength(), 0);
                    EXPECT_FALSE(iswspace(text[0]) || iswspace(text[text.GetLength() - 1]));
                    EXPECT_EQ(wcspbrk(text, L"\r\n"), nullptr);
                }
                EXPECT_EQ(wcschr(section.keys.GetAt(k), L'='), nullptr);
            }
        }
    }
}

} // namespace
