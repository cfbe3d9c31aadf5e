// The skin's colours and fonts read from "skin.ini" over the built-in defaults.
#include "skin/Skin.h"

#include "foundation/TestHelpers.h"
#include "shell/ResourceLibrary.h"
#include "shell/ScreenMetrics.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

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
    for (int dpi : {96, 192}) {
        Use(nullptr, dpi);
        SkinValues skin;
        LoadSkin(skin);
        EXPECT_EQ(skin.BgrColor, RGB(59, 70, 80));
        EXPECT_EQ(skin.TxtColor, 0xFFFFFFu);
        EXPECT_EQ(skin.TxtSelectColor, 0u);
        EXPECT_EQ(skin.BtnNumberColor, 0xFFFFFFu);
        EXPECT_EQ(skin.PhoneTypeColor1, 0xFFFFFFu);
        EXPECT_EQ(skin.PhoneTypeColor2, 0u);
        const FontFacts text = FactsOf(skin.FontText), small = FactsOf(skin.FontSmall),
                        button = FactsOf(skin.FontButton);
        EXPECT_EQ(text.height, dpi == 96 ? -11 : -21);
        EXPECT_EQ(small.height, dpi == 96 ? -9 : -19);
        EXPECT_EQ(button.height, small.height);
        for (const FontFacts& f : {text, small, button}) {
            EXPECT_EQ(f.face, L"Tahoma");
            EXPECT_EQ(f.italic, 0);
        }
        EXPECT_EQ(text.weight, 700);
        EXPECT_EQ(text.quality, CLEARTYPE_QUALITY);
        EXPECT_EQ(small.weight, 400);
        EXPECT_EQ(small.quality, DEFAULT_QUALITY);
        EXPECT_EQ(button.weight, 400);
        EXPECT_EQ(button.quality, NONANTIALIASED_QUALITY);
    }
}

TEST_F(SkinFile, ValuesOverrideTheDefaultsOneByOne) {
    Use("[Other]\nBgrColor=1,1,1\n"
        "[Dialvane]\nBgrColor=10,20,30\nTxtColor=255, 0\nTxtSelectColor=1,2,3\nBtnNumberColor=300,0,0\n"
        "PhoneTypeColor1=4,5,6\nPhoneTypeColor2=\n"
        "FontButton=,\n"
        "[Dialvane]\nTxtColor=9,9,9\n");
    SkinValues skin;
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(10, 20, 30));
    EXPECT_EQ(skin.TxtColor, 0xFFFFFFu) << "two items keep the default";
    EXPECT_EQ(skin.TxtSelectColor, RGB(1, 2, 3));
    EXPECT_EQ(skin.BtnNumberColor, RGB(44, 0, 0));
    EXPECT_EQ(skin.PhoneTypeColor1, RGB(4, 5, 6));
    EXPECT_EQ(skin.PhoneTypeColor2, 0u);

    const FontFacts button = FactsOf(skin.FontButton);
    EXPECT_EQ(button.face, L"Tahoma") << "an empty font value keeps the built-in font";
    EXPECT_EQ(button.quality, NONANTIALIASED_QUALITY);
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
        {"9,,1", L"1", -12, 400, 0, DEFAULT_QUALITY}, // empty items are dropped: "1" becomes the face
        {"9", L"Tahoma", -12, 400, 0, DEFAULT_QUALITY},
        {"12,Verdana,2,1,0", L"Verdana", -16, 600, 1, DEFAULT_QUALITY},
        {"8,Tahoma,-1,7", L"Tahoma", -11, 600, 1, DEFAULT_QUALITY},
        {"6,Tahoma,0,0,9", L"Tahoma", -8, 400, 0, CLEARTYPE_QUALITY},
    };
    for (const Case& c : cases) {
        Use((std::string("[Dialvane]\nFontText=") + c.value + "\n").c_str());
        SkinValues skin;
        LoadSkin(skin);
        const FontFacts f = FactsOf(skin.FontText);
        EXPECT_EQ(f.face, c.face) << c.value;
        EXPECT_EQ(f.height, c.height) << c.value;
        EXPECT_EQ(f.weight, c.weight) << c.value;
        EXPECT_EQ(f.italic, c.italic) << c.value;
        EXPECT_EQ(f.quality, c.quality) << c.value;
    }
}

TEST_F(SkinFile, TheSectionNameMustMatchExactly) {
    Use("[dialvane]\nBgrColor=1,2,3\n[ Dialvane]\nBgrColor=1,2,3\n");
    SkinValues skin;
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(59, 70, 80));
    EXPECT_EQ(FactsOf(skin.FontText).height, -11);
}

TEST_F(SkinFile, LoadingAgainStartsFromTheDefaults) {
    Use("[Dialvane]\nBgrColor=1,2,3\nFontSmall=20\n");
    SkinValues skin;
    LoadSkin(skin);
    EXPECT_EQ(FactsOf(skin.FontSmall).height, -27);
    DeleteFileW((folder_ / L"skin.ini").c_str());
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(59, 70, 80));
    EXPECT_EQ(FactsOf(skin.FontSmall).height, -9);
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
