// The INI reader: line rules, typed readings and robustness against arbitrary bytes.
#include "skin/IniDocument.h"

#include "support/WStringPrinter.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

void Parse(IniDocument& document, const std::string& text) {
    ParseIni(document, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::vector<std::pair<std::wstring, std::wstring>> PairsOf(const IniSection& section) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (int i = 0; i < section.keys.GetSize(); ++i)
        pairs.emplace_back(section.keys.GetAt(i).operator const wchar_t*(),
                           section.values.GetAt(i).operator const wchar_t*());
    return pairs;
}

// Empty values and lines without "=" add nothing; bytes become characters of the same code.
TEST(ParseIni, KeyLinesFollowTheLineRules) {
    IniDocument document;
    Parse(document, "[S]\nkey =   \nno equals sign\n\t spaced \t=\t value with ; semicolon \v\f\n"
                    "name=caf\xE9\xFF\n");
    ASSERT_EQ(document.Sections.GetSize(), 1);
    using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(PairsOf(GetSectionAt(document, 0)),
              (Pairs{{L"spaced", L"value with ; semicolon"}, {L"name", L"caf\u00E9\u00FF"}}));
}

TEST(ParseIni, SectionsKeepTheirNamesAndOrderWhateverTheLineEnds) {
    IniDocument document;
    Parse(document, "before=ignored\r[ A ]\r\ra=1\n\r[]\r\n[B]\rb=2\rb=3\r[B]\rb=4\r  [C]  \rc=5");
    ASSERT_EQ(document.Sections.GetSize(), 5);
    EXPECT_EQ(GetSectionAt(document, 1).name, L"");
    EXPECT_EQ(GetSectionAt(document, 3).name, L"B") << "sections of one name stay apart";
    EXPECT_EQ(GetIniValue(document, 0, L"a"), L"1");
    EXPECT_EQ(GetIniValue(document, 2, L"b"), L"2") << "the first of two equal keys wins";
    EXPECT_EQ(GetIniValue(document, 3, L"b"), L"4");
    EXPECT_EQ(GetIniValue(document, 4, L"c"), L"5") << "the last line needs no end";
}

TEST(IniQueries, ListsDropEmptyItemsAndTrimTheRest) {
    IniDocument document;
    Parse(document, "[S]\nlist= a , ,b,,\tc d ,\nsingle=x\ncommas=,,,\n");
    EXPECT_EQ(GetIniValue(document, 0, L"List"), L"") << "keys are case-sensitive";
    EXPECT_EQ(GetIniValue(document, 1, L"list"), L"") << "no such section";
    Array<WString> items;
    ASSERT_EQ(GetIniList(document, 0, L"list", items), 3);
    EXPECT_EQ(items.GetAt(0), L"a");
    EXPECT_EQ(items.GetAt(1), L"b");
    EXPECT_EQ(items.GetAt(2), L"c d");
    EXPECT_EQ(GetIniList(document, 0, L"commas", items), 0);
}

TEST(IniQueries, ColoursTakeTheLowByteOfThreeNumbers) {
    IniDocument document;
    Parse(document, "[S]\nshort=1,2\nlow=300,0,0\nempty=1,,2,,3\nsigns= +7 , -1 , 2x\n");
    COLORREF colour = 0xABCDEF;
    EXPECT_FALSE(GetIniColor(document, 0, L"short", colour));
    EXPECT_EQ(colour, 0xABCDEFu) << "two numbers leave the colour alone";
    for (const auto& [key, expected] :
         {std::pair{L"low", 44u}, std::pair{L"empty", 0x030201u}, std::pair{L"signs", 0x02FF07u}}) {
        EXPECT_TRUE(GetIniColor(document, 0, key, colour)) << key;
        EXPECT_EQ(colour, expected) << key;
    }
}

TEST(LoadIniFile, ReadsAFileAndFailsQuietly) {
    testing_support::TempFolder folder;
    const std::wstring path = folder / L"skin.ini";
    {
        std::ofstream file(std::filesystem::path(path), std::ios::binary);
        file << "; test\r\n[Dialvane]\r\nBgrColor=1,2,3\r\n";
    }
    IniDocument document;
    ASSERT_TRUE(LoadIniFile(document, path.c_str()));
    EXPECT_EQ(GetIniValue(document, 0, L"BgrColor"), L"1,2,3");

    EXPECT_TRUE(DeleteFileW(path.c_str())) << "the file is closed after loading";
    IniDocument missing;
    EXPECT_FALSE(LoadIniFile(missing, (folder / L"none.ini").c_str()));
    std::ofstream(std::filesystem::path(folder / L"empty.ini"), std::ios::binary).close();
    EXPECT_FALSE(LoadIniFile(missing, (folder / L"empty.ini").c_str())) << "an empty file";
}

// Random documents written with random spacing, line ends, comments and junk lines read back exactly.
TEST(ParseIniRandomised, WellFormedDocumentsReadBackExactly) {
    std::mt19937 random(20261205);
    const auto pick = [&](int n) { return static_cast<int>(random() % n); };
    const std::string wordChars = "abcXYZ019_#.-/;[]";
    const auto word = [&]() {
        std::string w(1 + pick(8), 'a');
        for (char& c : w) c = wordChars[pick(static_cast<int>(wordChars.size()))];
        return w;
    };
    const char* ends[] = {"\n", "\r\n", "\r", "\n\n", "\r\n\r\n"};
    const char* blanks[] = {"", " ", "\t", " \t "};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> expected;
        std::string text;
        const auto end = [&]() { return std::string(ends[pick(5)]); };
        const auto blank = [&]() { return std::string(blanks[pick(4)]); };
        for (int s = pick(5); s > 0; --s) {
            std::string name = word();
            if (pick(2)) name = " " + name;
            expected.push_back({name, {}});
            text += blank() + "[" + name + "]" + blank() + end();
            for (int k = pick(6); k > 0; --k) {
                std::string key = word();
                while (key[0] == ';' || key[0] == '[') key[0] = 'k';
                const std::string value = word() + (pick(2) ? " = " + word() : "");
                expected.back().second.push_back({key, value});
                text += blank() + key + blank() + "=" + blank() + value + blank() + end();
                if (pick(4) == 0) text += blank() + ";" + word() + "=" + word() + end();
                if (pick(4) == 0) text += blank() + "=junk" + end();
            }
        }
        IniDocument document;
        Parse(document, text);
        ASSERT_EQ(document.Sections.GetSize(), static_cast<int>(expected.size())) << text;
        for (int s = 0; s < document.Sections.GetSize(); ++s) {
            const IniSection section = GetSectionAt(document, s);
            EXPECT_EQ(section.name, std::wstring(expected[s].first.begin(), expected[s].first.end()).c_str());
            const auto pairs = PairsOf(section);
            ASSERT_EQ(pairs.size(), expected[s].second.size()) << text;
            for (size_t k = 0; k < pairs.size(); ++k) {
                const auto& [key, value] = expected[s].second[k];
                EXPECT_EQ(pairs[k].first, std::wstring(key.begin(), key.end()));
                EXPECT_EQ(pairs[k].second, std::wstring(value.begin(), value.end()));
            }
        }
    }
}

} // namespace
