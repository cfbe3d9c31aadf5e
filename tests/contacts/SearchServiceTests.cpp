// The search service client against a service of the tests' own, through the service manager.
#include "contacts/SearchService.h"
#include "platform/ServiceManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Ids(const Array<int>& ids) {
    std::vector<int> out;
    for (int i = 0; i < ids.GetSize(); ++i) out.push_back(ids.GetAt(i));
    return out;
}

TEST(SearchServiceClient, StartsTheServiceOnceReadsItsRepliesAndSurvivesBrokenOnes) {
    constexpr SearchServiceLocation TestService{L"DialvaneTestService.dll", L"TST"};
    ASSERT_EQ(platform::GetServiceHandle(L"TST0:", nullptr, nullptr), nullptr);
    ServiceOperation numbers(search_service::NumberLookupCode, TestService),
        search(search_service::KeypadSearchCode, TestService);
    EXPECT_EQ(Ids(FindContactsByNumber(numbers, L"111")), (std::vector<int>{7, 9}))
        << "the buffer grows once";
    HANDLE service = platform::GetServiceHandle(L"tst0:", nullptr, nullptr);
    ASSERT_NE(service, nullptr);
    SearchResult result;
    ASSERT_TRUE(SearchContacts(search, L"111", 3, result));
    EXPECT_EQ(Ids(result.ids), (std::vector<int>{3, 1}));
    ASSERT_EQ(result.texts.GetSize(), 2);
    EXPECT_STREQ(result.texts.GetAt(1), L"abc+def");
    EXPECT_TRUE(Ids(FindContactsByNumber(numbers, L"")).empty()) << "a failure without a size";
    EXPECT_FALSE(SearchContacts(search, L"", 0, result));
    EXPECT_EQ(platform::GetServiceHandle(L"TST0:", nullptr, nullptr), service) << "started once";

    // Noise replies of every length up to 400 bytes: nothing is read beyond the reply.
    for (int length = 1; length <= 400; ++length) {
        const std::wstring request = std::to_wstring(length);
        EXPECT_LE(FindContactsByNumber(numbers, request.c_str()).GetSize(), (length - 4) / 4) << length;
        if (SearchContacts(search, request.c_str(), static_cast<int>(request.size()), result)) {
            EXPECT_LE(result.ids.GetSize() * 4 + result.texts.GetSize() * 2, length - 4) << length;
        }
    }
    platform::DeregisterService(service);

    ServiceOperation absent(search_service::NumberLookupCode, {L"DialvaneNoSuchService.dll", L"NOS"});
    EXPECT_TRUE(Ids(FindContactsByNumber(absent, L"111")).empty());
}

} // namespace
