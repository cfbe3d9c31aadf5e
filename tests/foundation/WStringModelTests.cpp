#include "foundation/WString.h"

#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Random edits on a few values that keep sharing buffers with one another, checked after every step
// against std::wstring. Blanks in the alphabet are all of the runtime's space class.
TEST(WStringModel, RandomEditsMatchStdWstring) {
    constexpr int Slots = 6;
    constexpr wchar_t Blanks[] = L" \t\n";
    std::mt19937 random(20240305);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto text = [&](int maxLength) {
        std::wstring result;
        for (int i = pick(0, maxLength); i > 0; --i) result += L"abcxyzЖЯ \t\n"[pick(0, 10)];
        return result;
    };
    std::vector<WString> values(Slots);
    std::vector<std::wstring> models(Slots);

    for (int step = 0; step < 4000; ++step) {
        int slot = pick(0, Slots - 1);
        int other = pick(0, Slots - 1);
        WString& s = values[slot];
        std::wstring& m = models[slot];
        int operation = pick(0, 9);
        switch (operation) {
        case 0: {
            std::wstring added = text(40);
            s += added.c_str();
            m += added;
            break;
        }
        case 1:
            s += values[other], m += models[other];
            break;
        case 2:
            s = values[other], m = models[other];
            break;
        case 3: {
            int n = pick(-5, static_cast<int>(m.size()) + 5);
            s = s.Left(n);
            m = m.substr(0, std::max(n, 0));
            break;
        }
        case 4: {
            int n = std::max(pick(-5, static_cast<int>(m.size()) + 5), 0);
            s = s.Right(n);
            m = m.substr(m.size() - std::min<size_t>(n, m.size()));
            break;
        }
        case 5:
            s.TrimLeft(), m.erase(0, m.find_first_not_of(Blanks));
            break;
        case 6:
            s.TrimRight(), m.erase(m.find_last_not_of(Blanks) + 1);
            break;
        case 7: {
            int number = pick(-100000, 100000);
            const wchar_t* format = pick(0, 1) ? L"%s|%d|%.3s" : L"%-12s%+08d%20s";
            std::vector<wchar_t> printed(4096);
            _snwprintf(printed.data(), printed.size() - 1, format, models[other].c_str(), number, m.c_str());
            s.Format(format, static_cast<const wchar_t*>(values[other]), number,
                     static_cast<const wchar_t*>(s));
            m = printed.data();
            break;
        }
        case 8:
            s.Empty(), m.clear();
            break;
        default: {
            std::wstring written = text(60);
            wchar_t* buffer = s.GetBuffer(static_cast<int>(written.size()));
            ASSERT_NE(buffer, nullptr);
            wcscpy(buffer, written.c_str());
            s.ReleaseBuffer(pick(0, 1) ? -1 : static_cast<int>(written.size()));
            m = written;
            break;
        }
        }
        for (int i = 0; i < Slots; ++i) {
            ASSERT_EQ(std::wstring(values[i], values[i].GetLength()), models[i])
                << "step " << step << ", operation " << operation << ", slot " << i;
            ASSERT_EQ(wcslen(values[i]), models[i].size()) << "step " << step;
        }
    }
}

} // namespace
