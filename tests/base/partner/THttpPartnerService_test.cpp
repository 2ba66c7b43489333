#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include "base/partner/THttpPartnerService.h"
#include "base/util/Base64.h"
#include "support/TVendorService.h"

namespace tavrek::testing {
namespace {

TEST(THttpPartnerService, SendsTheOrderWithTheConnectionsCredentials) {
    TVendorService vendor;
    THttpPartnerService service(vendor.Url() + "/", "tavrek", "p@ss");
    const std::string order = StrTobase64("<Order>Поръчка</Order>");
    EXPECT_EQ(service.SendDocument(order), "ORD-0042");
    const std::vector<httplib::Request> requests = vendor.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/orders");
    EXPECT_EQ(requests[0].body, order);
    EXPECT_EQ(requests[0].get_header_value("Authorization"), "Basic " + StrTobase64("tavrek:p@ss"));
}

TEST(THttpPartnerService, RefusalsAndUnreachableServicesAreTold) {
    TVendorService vendor;
    const struct {
        int status;
        const char* answer;
        const char* message;
    } refusals[] = {{500, "Няма такъв артикул: 2002", "Няма такъв артикул: 2002"},
                    {422, "", "Услугата на доставчика отказа заявката (код 422)"},
                    {401, "", "Услугата на доставчика отказа достъп: грешно потребителско име или парола"}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.status);
        vendor.OrderStatus = r.status;
        vendor.OrderAnswer = r.answer;
        EXPECT_THAT([&] { THttpPartnerService(vendor.Url(), "u", "p").SendDocument("QQ=="); },
                    ::testing::ThrowsMessage<EPartnerRejected>(::testing::StrEq(r.message)));
    }
    // The service is not reached, which is not a refusal.
    THttpPartnerService unreachable(TVendorService::kNobodyListens, "u", "p");
    EXPECT_THAT([&] { unreachable.SendDocument("QQ=="); },
                ::testing::Throws<EPartnerError>(::testing::Truly([](const EPartnerError& e) {
                    return dynamic_cast<const EPartnerRejected*>(&e) == nullptr &&
                           std::string(e.what()).find("не отговаря") != std::string::npos;
                })));
    EXPECT_THROW(THttpPartnerService("ftp://vendor", "u", "p"), EPartnerError);
}

TEST(THttpPartnerService, DocumentsAreListedAndThoseThatCannotBeReadAreTold) {
    TVendorService vendor;
    THttpPartnerService service(vendor.Url(), "u", "p");
    std::vector<std::string> problems;
    EXPECT_TRUE(service.GetDocuments(problems).Empty());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "Няма документ D-1");
    EXPECT_EQ(problems[1], "Няма документ D 2") << "the number is escaped in the address";
    EXPECT_THROW(service.GetDocumentLines("D-3", "Code", TFilter()), EPartnerError);
}

}  // namespace
}  // namespace tavrek::testing
