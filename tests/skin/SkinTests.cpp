// The skin's colours and fonts read from "skin.ini" over the built-in defaults.
#include "skin/Skin.h"

#include "foundation/TestHelpers.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"
#include "support/ErrorLogLines.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

LOGFONTW FactsOf(HFONT font) {
    LOGFONTW description = {};
    EXPECT_NE(font, nullptr);
    GetObjectW(font, sizeof description, &description);
    return description;
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

TEST_F(SkinFile, MissingFileGivesTheBuiltInLookScaledToTheResolution) {
    SkinValues skin;
    for (int dpi : {96, 192}) {
        Use(nullptr, dpi);
        LoadSkin(skin);
        EXPECT_EQ(skin.BgrColor, RGB(59, 70, 80));
        EXPECT_EQ(FactsOf(skin.FontText).lfHeight, dpi == 96 ? -11 : -21);
    }
}

TEST_F(SkinFile, ValuesOfTheExactSectionOverrideTheDefaultsOneByOne) {
    Use("[Other]\nBgrColor=1,1,1\n[dialvane]\nTxtSelectColor=9,9,9\n"
        "[Dialvane]\nBgrColor=10,20,30\nTxtColor=255, 0\nFontButton=,\n"
        "[Dialvane]\nTxtColor=9,9,9\n");
    SkinValues skin;
    LoadSkin(skin);
    EXPECT_EQ(skin.BgrColor, RGB(10, 20, 30));
    EXPECT_EQ(skin.TxtColor, 0xFFFFFFu) << "two items keep the default";
    EXPECT_EQ(skin.TxtSelectColor, 0u) << "the section name must match exactly";
    EXPECT_EQ(FactsOf(skin.FontButton).lfQuality, NONANTIALIASED_QUALITY)
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
        {"8,Tahoma,-1,7", L"Tahoma", -11, 600, 1, DEFAULT_QUALITY},
    };
    for (const Case& c : cases) {
        Use((std::string("[Dialvane]\nFontText=") + c.value + "\n").c_str());
        SkinValues skin;
        LoadSkin(skin);
        const LOGFONTW f = FactsOf(skin.FontText);
        EXPECT_STREQ(f.lfFaceName, c.face) << c.value;
        EXPECT_EQ(f.lfHeight, c.height) << c.value;
        EXPECT_EQ(f.lfWeight, c.weight) << c.value;
        EXPECT_EQ(f.lfItalic, c.italic) << c.value;
        EXPECT_EQ(f.lfQuality, c.quality) << c.value;
    }
}

// The lines LoadSkin wrote to the error log, each from behind "skin.ini: " to before its source.
std::vector<std::string> SkinProblems(SkinValues& skin) {
    std::vector<std::string> lines;
    for (const std::string& line : testing_support::LinesLoggedBy([&] { LoadSkin(skin); })) {
        const size_t from = line.find("skin.ini: "), to = line.find("\t\tSkin: LoadSkin (0)");
        lines.push_back(from == std::string::npos || to == std::string::npos
                            ? line
                            : line.substr(from + 10, to - from - 10));
    }
    return lines;
}

TEST_F(SkinFile, UnusableValuesAreLoggedWithTheFileTheKeyAndTheValue) {
    Use("[Dialvane]\nBgrColor=10,20,30\nTxtColor=255, 0\nTxtSelectColor=300,0,0\nBtnNumberColour=1,2,3\n"
        "PhoneTypeColor1=1,2,3,4\nFontText=big,Arial\nFontSmall=7,Tahoma,bold\nBgrColor=1,1,1\n");
    SkinValues skin;
    EXPECT_EQ(
        SkinProblems(skin),
        (std::vector<std::string>{
            "[Dialvane] BtnNumberColour: not a key of the skin (letter case counts); it is ignored",
            "[Dialvane] BgrColor: given again; only the first counts",
            "[Dialvane] TxtColor = 255, 0: three numbers (red, green, blue) are needed; the default is kept",
            "[Dialvane] TxtSelectColor = 300,0,0: 300 is not a number from 0 to 255; it counts as 44",
            "[Dialvane] PhoneTypeColor1 = 1,2,3,4: only the first three numbers count",
            "[Dialvane] FontText = big,Arial: the size is not a number of points above 0",
            "[Dialvane] FontSmall = 7,Tahoma,bold: bold is not a number for the weight (0, 1 or another "
            "number); it counts as 0"}));
    EXPECT_EQ(skin.BgrColor, RGB(10, 20, 30)) << "the values are used as before";
    EXPECT_EQ(skin.TxtSelectColor, RGB(44, 0, 0));

    Use("[dialvane]\nBgrColor=1,1,1\n");
    EXPECT_EQ(SkinProblems(skin), (std::vector<std::string>{"no section [Dialvane] (letter case counts); the "
                                                            "built-in colours and fonts are used"}));

    // However many problems, one load writes at most twenty lines and one that counts the rest.
    std::string many = "[Dialvane]\n";
    for (int i = 0; i < 30; ++i) many += "Key" + std::to_string(i) + "=1\n";
    Use(many.c_str());
    const std::vector<std::string> lines = SkinProblems(skin);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines.back(), "... and 10 more problems like these\t\tSkin: LoadSkin (0)");
}

TEST_F(SkinFile, TheDefaultSkinAndAMissingFileLogNothing) {
    SkinValues skin;
    Use(nullptr);
    EXPECT_TRUE(SkinProblems(skin).empty());
    SkinLibrary.LoadResourceLibrary(L"NoSuchLibrary.dll", L"NoSuchLibrary.dll",
                                    testing_support::BesideTestBinary(L"DialvaneSkin").c_str());
    EXPECT_TRUE(SkinProblems(skin).empty());
    EXPECT_EQ(skin.BgrColor, RGB(22, 27, 34)) << "the default skin was read";
}

// Randomly damaged copies of a good file always load with all three fonts.
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
    }
}

} // namespace
