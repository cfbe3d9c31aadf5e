// The search service's ranking by the dialer's call log, and its narrowing of a search as keys are
// typed, checked against searches from scratch.
#include "companions/pimservice/CallHistory.h"
#include "companions/pimservice/ContactSearchIndex.h"
#include "contacts/ContactTestSupport.h"
#include "platform/ComObject.h"
#include "support/ErrorLogLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace testing_support;
using platform::CallHistory;
using platform::ContactSearchIndex;

namespace {

// Contacts held by the test, served as the store's catalog serves them: ids 1, 2, ... in the order
// added, numbers by kind.
class ContactsInMemory final : public platform::ComObject<IContactList> {
public:
    void Add(std::string sortName, std::vector<std::string> numbers) {
        cards_.push_back({std::move(sortName), std::move(numbers)});
    }

    ULONG STDMETHODCALLTYPE Version() override { return 1; }
    ULONG STDMETHODCALLTYPE Count() override { return static_cast<ULONG>(cards_.size()); }
    HRESULT STDMETHODCALLTYPE Get(ULONG index, CatalogContact* contact) override {
        if (index >= cards_.size()) return E_INVALIDARG;
        const Card& card = cards_[index];
        *contact = {};
        contact->Oid = index + 1;
        contact->SortName = {card.name.data(), static_cast<ULONG>(card.name.size())};
        for (size_t kind = 0; kind < card.numbers.size() && kind < CatalogPhoneKinds; ++kind)
            contact->Phones[kind] = {card.numbers[kind].data(),
                                     static_cast<ULONG>(card.numbers[kind].size())};
        return S_OK;
    }

private:
    const IID& Identity() const override { return IID_IContactList; }

    struct Card {
        std::string name;
        std::vector<std::string> numbers;
    };
    std::vector<Card> cards_;
};

using Weights = std::vector<CallHistory::NumberWeight>;
using NameList = std::vector<std::wstring>;

double WeightOf(const CallHistory& history, const std::string& digits) {
    for (const auto& number : history.Weights())
        if (number.Digits == digits) return number.Weight;
    return 0;
}

TEST(CallHistory, WeighsEachCalledNumberByTheAgeOfItsCallsAndSkipsWhatIsNoCall) {
    CallHistory history;
    const int unusable = history.Parse("\xEF\xBB\xBF"
                                       "2026-03-10 12:00:00\t+7 900 111-22-33\tAnna\tcall\r\n"
                                       "2026-03-10 12:00:00\t+7 900 111-22-33\t\tcall\r\n"
                                       "2026-02-08 12:00:00\t555-0100\tBob\tcall\n"
                                       "2026-03-01 10:00:00\t*100#\t\tservice\r\n"
                                       "\r\n"
                                       "hello\r\n"
                                       "2026-13-01 10:00:00\t123\tX\tcall\r\n"
                                       "2026-02-30 10:00:00\t123\tX\tcall\r\n"
                                       "2026-03-01 24:00:00\t123\tX\tcall\r\n"
                                       "2026-03-01 10:00:00\tnone\tX\tcall\r\n"
                                       "2026-03-01 10:00:00\t123\tX\tcall\textra\r\n"
                                       "2026-03-01 10:00:00\t123\tX\tcalls\r\n"
                                       "2026-03-01T10:00:00\t123\tX\tcall");
    EXPECT_EQ(unusable, 8);
    ASSERT_EQ(history.Weights().size(), 2u) << "one entry per number; the service code is no call";
    EXPECT_DOUBLE_EQ(WeightOf(history, "79001112233"), 2.0) << "two calls at the newest time";
    EXPECT_NEAR(WeightOf(history, "5550100"), 0.5, 1e-9) << "one half-life older";

    history.Parse("2025-03-10 12:00:00\t111\t\tcall\n2026-03-03 12:00:00\t222\t\tcall\n"
                  "2026-03-10 12:00:00\t333\t\tcall");
    EXPECT_NEAR(WeightOf(history, "222"), std::exp2(-7.0 / CallHistory::HalfLifeDays), 1e-9);
    EXPECT_LT(WeightOf(history, "111"), 0.001) << "a year ago weighs next to nothing";
    EXPECT_EQ(history.Parse(""), 0);
    EXPECT_TRUE(history.Weights().empty());
}

TEST(CallHistory, RereadsTheLogOnlyWhenItChangedAndLogsWhatItCouldNotUse) {
    TempFolder folder;
    const std::wstring path = folder / L"calls.log";
    CallHistory history;
    EXPECT_TRUE(history.Refresh(path)) << "the first look counts, even at a missing log";
    EXPECT_FALSE(history.Refresh(path));

    WriteBytes(path, "2026-03-10 12:00:00\t555-0100\tBob\tcall\r\ngarbage\r\n");
    std::vector<std::string> logged = LinesLoggedBy([&] { EXPECT_TRUE(history.Refresh(path)); });
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("1 lines"), std::string::npos) << logged[0];
    EXPECT_EQ(history.Weights().size(), 1u);
    logged = LinesLoggedBy([&] { EXPECT_FALSE(history.Refresh(path)); });
    EXPECT_TRUE(logged.empty()) << "an unchanged log is neither read nor reported again";

    WriteBytes(path, "2026-03-10 12:00:00\t555-0100\tBob\tcall\r\n2026-03-11 12:00:00\t777\tDan\tcall\r\n");
    EXPECT_TRUE(history.Refresh(path));
    EXPECT_EQ(history.Weights().size(), 2u);

    std::filesystem::remove(std::filesystem::path(path));
    EXPECT_TRUE(history.Refresh(path));
    EXPECT_TRUE(history.Weights().empty());
}

class RankedIndex : public ::testing::Test {
protected:
    void SetUp() override {
        contacts.Add("Adams, Bob", {"555-0100"});
        contacts.Add("Borg, Carl", {"777", "0777"});
        contacts.Add("Cole, Dan", {"+44 20 7946 0958"});
        contacts.Add("Petrova, Olga", {"+7 900 111-22-33"});
        index.Build(contacts);
        KeypadLayout latin;
        BuildKeypadLayout(1, latin);
        index.SetKeys(latin);
    }

    NameList Search(const std::wstring& digits) {
        std::vector<DWORD> ids;
        std::vector<std::wstring> patterns;
        index.Search(digits, ids, patterns);
        NameList names;
        for (DWORD id : ids) names.push_back(index.Find(id)->Name);
        return names;
    }

    ContactsInMemory contacts;
    ContactSearchIndex index;
};

TEST_F(RankedIndex, CallsReorderOnlyEqualMatchesAndFindNationalAndInternationalForms) {
    EXPECT_EQ(Search(L"2"), (NameList{L"Adams, Bob", L"Borg, Carl", L"Cole, Dan", L"Petrova, Olga"}))
        << "without calls: name matches, then Petrova by her number, in name order";

    index.Rank({{"02079460958", 0.9}, {"777", 0.5}, {"0777", 0.3}, {"89001112233", 5}});
    EXPECT_EQ(Search(L""), (NameList{L"Petrova, Olga", L"Cole, Dan", L"Borg, Carl", L"Adams, Bob"}))
        << "everyone matches the empty query equally; her national form finds her +7 number";
    EXPECT_EQ(Search(L"2"), (NameList{L"Cole, Dan", L"Borg, Carl", L"Adams, Bob", L"Petrova, Olga"}))
        << "the most called contact still follows every name match";
    EXPECT_EQ(Search(L"26"), (NameList{L"Cole, Dan", L"Borg, Carl", L"Adams, Bob"}))
        << "narrowed, same order";

    index.Rank({{"777", 1}, {"0777", 1}, {"5550100", 1.5}});
    EXPECT_EQ(Search(L"2"), (NameList{L"Borg, Carl", L"Adams, Bob", L"Cole, Dan", L"Petrova, Olga"}))
        << "the weights of a contact's numbers add up";
    index.Rank({{"5550100", 1}, {"02079460958", 1}});
    EXPECT_EQ(Search(L"2"), (NameList{L"Adams, Bob", L"Cole, Dan", L"Borg, Carl", L"Petrova, Olga"}))
        << "equal weights keep name order";
    index.Rank({{"0100", 1}, {"9001112233", 0}});
    EXPECT_EQ(Search(L""), (NameList{L"Adams, Bob", L"Borg, Carl", L"Cole, Dan", L"Petrova, Olga"}))
        << "a part of a number is another number; a weight of 0 is no call";
}

TEST_F(RankedIndex, ARebuildKeepsTheRankingAndNamelessContactsAreShownByNumberOrLeftOut) {
    index.Rank({{"5550100", 1}, {"123", 2}});
    contacts.Add("", {"123"});
    contacts.Add("", {});
    std::vector<std::string> logged = LinesLoggedBy([&] { index.Build(contacts); });
    EXPECT_EQ(Search(L""), (NameList{L"123", L"Adams, Bob", L"Borg, Carl", L"Cole, Dan", L"Petrova, Olga"}));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("00000006 has neither a name nor a number"), std::string::npos) << logged[0];
    EXPECT_FALSE(index.Find(6)) << "nothing to show for it";
}

// Random names over a few keys' letters and separators, random numbers, random weights.
class RandomContacts {
public:
    explicit RandomContacts(unsigned seed) : random_(seed) {}

    std::string Name() {
        static const char* const pieces[] = {"a", "b",        "c",        "d",        "e", "g", "h", "m",
                                             "p", "\xD0\xB0", "\xD0\xB1", "\xD0\xBC", " ", "-", ".", "1"};
        std::string name;
        for (int length = Below(12); length >= 0; --length) name += pieces[Below(16)];
        return name;
    }
    std::string Number() {
        std::string number = Below(3) ? "" : "+";
        for (int length = 2 + Below(11); length > 0; --length) number += static_cast<char>('0' + Below(10));
        return number;
    }
    int Below(int bound) { return static_cast<int>(random_() % static_cast<unsigned>(bound)); }
    const std::string& Pick(const std::vector<std::string>& from) {
        return from[Below(static_cast<int>(from.size()))];
    }

private:
    std::mt19937 random_;
};

TEST(NarrowedSearch, GivesWhatASearchFromScratchGivesWhateverIsTypedErasedOrRanked) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        RandomContacts random(seed);
        ContactsInMemory contacts;
        std::vector<std::string> numbers;
        for (int i = 0; i < 300; ++i) {
            std::vector<std::string> own;
            for (int n = random.Below(3); n > 0; --n) own.push_back(random.Number());
            // Some numbers shared, in another form, so that calls count for several contacts.
            if (!numbers.empty() && random.Below(8) == 0) own.push_back("8" + random.Pick(numbers));
            numbers.insert(numbers.end(), own.begin(), own.end());
            contacts.Add(random.Name(), own);
        }
        ContactSearchIndex typed, scratch;
        typed.Build(contacts);
        scratch.Build(contacts);
        KeypadLayout layout;
        auto setKeys = [&](int row) {
            BuildKeypadLayout(row, layout);
            typed.SetKeys(layout);
            scratch.SetKeys(layout);
        };
        setKeys(3);

        std::wstring query;
        std::vector<DWORD> ids, expectedIds;
        std::vector<std::wstring> patterns, expectedPatterns;
        for (int step = 0; step < 1500; ++step) {
            const int action = random.Below(20);
            if (action < 12) {
                query +=
                    static_cast<wchar_t>(L'0' + (random.Below(5) ? 2 + random.Below(8) : random.Below(2)));
            } else if (action < 17) {
                if (!query.empty()) query.pop_back();
            } else if (action == 17) {
                query.clear();
            } else if (action == 18) {
                Weights weights;
                for (int n = random.Below(30); n > 0; --n) {
                    const std::string& number = random.Pick(numbers);
                    weights.push_back({platform::DigitsOf(std::wstring(number.begin(), number.end()).c_str()),
                                       random.Below(4) * 0.25});
                }
                typed.Rank(weights);
                scratch.Rank(weights);
            } else {
                setKeys(random.Below(2) ? 1 : 3);
            }
            typed.Search(query, ids, patterns);
            scratch.Search(L"", expectedIds, expectedPatterns);
            scratch.Search(query, expectedIds, expectedPatterns);
            ASSERT_EQ(ids, expectedIds) << "query " << std::string(query.begin(), query.end());
            ASSERT_EQ(patterns, expectedPatterns);
        }
    }
}

} // namespace
