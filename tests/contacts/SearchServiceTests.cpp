// The search service client against a service of the tests' own, through the service manager.
#include "contacts/SearchService.h"
#include "platform/ServiceManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr SearchServiceLocation TestService{L"DialvaneTestService.dll", L"TST"};

std::vector<int> Ids(const Array<int>& ids) {
    std::vector<int> out;
    for (int i = 0; i < ids.GetSize(); ++i) out.push_back(ids.GetAt(i));
    return out;
}

class SearchServiceClient : public ::testing::Test {
protected:
    void TearDown() override {
        if (HANDLE service = platform::GetServiceHandle(L"TST0:", nullptr, nullptr))
            platform::DeregisterService(service);
    }
};

TEST_F(SearchServiceClient, StartsTheServiceOnFirstUseAndReadsItsReplies) {
    ASSERT_EQ(platform::GetServiceHandle(L"TST0:", nullptr, nullptr), nullptr);
    ServiceOperation numbers(5, TestService);
    EXPECT_EQ(Ids(FindContactsByNumber(numbers, L"111")), (std::vector<int>{7, 9}));
    HANDLE service = platform::GetServiceHandle(L"tst0:", nullptr, nullptr);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(Ids(FindContactsByNumber(numbers, L"111")), (std::vector<int>{7, 9}));
    EXPECT_EQ(platform::GetServiceHandle(L"TST0:", nullptr, nullptr), service) << "started once";

    EXPECT_EQ(Ids(FindContactsByNumber(numbers, L"big")), std::vector<int>{42}) << "the buffer grows once";
    EXPECT_TRUE(Ids(FindContactsByNumber(numbers, L"never")).empty());
    EXPECT_TRUE(Ids(FindContactsByNumber(numbers, L"short")).empty()) << "a count beyond the reply";
}

TEST_F(SearchServiceClient, SearchGivesIdsAndPatternsInOrder) {
    ServiceOperation search(1, TestService);
    SearchResult result;
    ASSERT_TRUE(SearchContacts(search, L"2", 1, result));
    EXPECT_EQ(Ids(result.ids), (std::vector<int>{3, 1}));
    ASSERT_EQ(result.texts.GetSize(), 2);
    EXPECT_STREQ(result.texts.GetAt(1), L"abc+def");

    ASSERT_TRUE(SearchContacts(search, L"open", 4, result));
    EXPECT_EQ(Ids(result.ids), std::vector<int>{5});
    EXPECT_EQ(result.texts.GetSize(), 0) << "an unterminated text is dropped";
    EXPECT_FALSE(SearchContacts(search, L"nothing", 7, result));
    EXPECT_EQ(result.ids.GetSize(), 0);
}

TEST(SearchServiceMissing, AnAbsentLibraryIsNoMatch) {
    ServiceOperation numbers(5, {L"DialvaneNoSuchService.dll", L"NOS"});
    EXPECT_TRUE(Ids(FindContactsByNumber(numbers, L"111")).empty());
    EXPECT_EQ(platform::GetServiceHandle(L"NOS0:", nullptr, nullptr), nullptr);
}

} // namespace
