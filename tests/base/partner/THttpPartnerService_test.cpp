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
        try {
            THttpPartnerService(vendor.Url(), "u", "p").SendDocument("QQ==");
            ADD_FAILURE() << "accepted";
        } catch (const EPartnerRejected& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
        }
    }
    // A port nobody listens on: the service is not reached, which is not a refusal.
    std::string closed;
    {
        TVendorService gone;
        closed = gone.Url();
    }
    THttpPartnerService unreachable(closed, "u", "p");
    try {
        unreachable.SendDocument("QQ==");
        ADD_FAILURE() << "sent";
    } catch (const EPartnerRejected&) {
        ADD_FAILURE() << "taken as a refusal";
    } catch (const EPartnerError& e) {
        EXPECT_NE(std::string(e.what()).find("не отговаря"), std::string::npos) << e.what();
    }
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
