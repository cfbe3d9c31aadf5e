#include "foundation/ErrorLog.h"

#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

namespace {

class ErrorLog : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::filesystem::path(temp) / ("dialvane-log-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
        path = folder / "error.log";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path path;
};

TEST_F(ErrorLog, LinesAreCreatedThenAppendedInTheDocumentedFormat) {
    LogLine(path.c_str(), L"Memory allocation failed", L".\\Str", L"", 23);
    LogLine(path.c_str(), L"second", L"file.cpp", L"Function", -174);
    std::string bytes = ReadBytes(path);
    const char* stamp = R"(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d - )";
    EXPECT_TRUE(std::regex_match(bytes, std::regex(std::string(stamp) + "Memory allocation failed\t\t" +
                                                   R"(\.\\Str:  \(23\)\r\n)" + stamp +
                                                   "second\t\tfile\\.cpp: Function \\(-174\\)\r\n")))
        << bytes;
}

TEST_F(ErrorLog, EveryUtf16UnitBecomesOneByte) {
    LogLine(path.c_str(), L"a\u4E2Db\U0001F600c", L"src\u0416", L"", 5);
    std::string line = WithoutStamp(ReadBytes(path));
    ASSERT_EQ(line.size(), std::string("a?b??c\t\tsrc?:  (5)\r\n").size()) << line;
    EXPECT_EQ(line[0], 'a');
    EXPECT_EQ(line.substr(2, 1) + line.substr(5, 6), "bc\t\tsrc");
}

TEST_F(ErrorLog, AFileThatCannotBeOpenedDropsTheLine) {
    std::filesystem::path missing = folder / "no such folder" / "error.log";
    LogLine(missing.c_str(), L"lost", L".\\Str", L"", 1);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

} // namespace
