#include "foundation/ErrorLog.h"

#include "TestHelpers.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

TEST(ErrorLog, LinesAreCreatedThenAppendedInTheDocumentedFormat) {
    testing_support::TempFolder folder;
    const std::wstring path = folder / L"error.log";
    LogLine(path.c_str(), L"Memory allocation failed", L".\\Str", L"", 23);
    // Every UTF-16 unit becomes one byte, a surrogate pair two.
    LogLine(path.c_str(), L"a\U0001F600b", L"file.cpp", L"Function", -174);
    std::string bytes = ReadBytes(path);
    const char* stamp = R"(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d - )";
    EXPECT_TRUE(std::regex_match(bytes, std::regex(std::string(stamp) + "Memory allocation failed\t\t" +
                                                   R"(\.\\Str:  \(23\)\r\n)" + stamp +
                                                   "a[^\t]{2}b\t\tfile\\.cpp: Function \\(-174\\)\r\n")))
        << bytes;

    const std::wstring missing = folder / L"no such folder\\error.log";
    LogLine(missing.c_str(), L"lost", L".\\Str", L"", 1);
    EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace

namespace {

TEST(ErrorLog, AProblemReportWritesUpToItsLimitThenOneSummary) {
    const std::string logged = LoggedBy([] {
        ProblemReport report(L"contacts", L"Load", 2);
        for (int i = 0; i < 5; ++i) report.Add(L"card skipped");
        EXPECT_EQ(report.Count(), 5);
    });
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = logged.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(WithoutStamp(logged.substr(start, end - start)));
    ASSERT_EQ(lines.size(), 3u) << logged;
    EXPECT_EQ(lines[0], "card skipped\t\tcontacts: Load (0)");
    EXPECT_EQ(lines[2], "... and 3 more problems like these\t\tcontacts: Load (0)");
}

} // namespace
