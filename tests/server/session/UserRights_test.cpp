// The users of the demo company against the server: what each role may call, and the
// calls refused whatever the role.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "base/data/TClientDataSet.h"
#include "server/SqlValue.h"
#include "server/TQueryBuilder.h"
#include "server/demo/TDemoCompany.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class UserRightsTest : public SqliteFixture {
protected:
    UserRightsTest() {
        Server().SetLoginRefusalDelay(std::chrono::milliseconds(0));
        Exec("INSERT INTO C_CompanySetup (Id, Name) VALUES ('OTHER', 'Друга фирма')");
    }

    // A draft invoice of the company, ready to post.
    std::string Draft(const std::string& company) {
        const std::string id = "R" + std::to_string(++drafts_);
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES ('" +
             id + "', '" + company + "', 1, 'SD-520', 'V03', '" + id + "', 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, TotalValue, VATPercent, "
             "VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('" + id + "', '" + id + "-1', '" + company +
             "', 1, 2, '602', 1, 12.00, 20, 'DOM', 'VAT20')");
        return id;
    }

    std::string PostedAsAdmin() {
        const server::TServerSession signedIn = Server().Session();
        server::SignInDemoUser(Server());
        TVariantArray keys;
        EXPECT_EQ(Server().PostPurchase(Draft("DEMO"), keys), 0) << Server().LastRefusalText();
        Server().SetSession(signedIn);
        return keys.at(0).AsString();
    }

    int SignIn(const std::string& role) {
        if (role == "nobody") return Server().SetSession({}), 0;
        for (const server::TDemoUser& user : server::DemoUsers())
            if (user.Role == role) {
                TSignedInUser signedIn;
                return Server().Login({}, user.Login, user.Password, signedIn);
            }
        return -99;
    }

    int Apply(TClientDataSet& data, const std::string& provider) {
        std::string errorText;
        return Server().ApplyUpdates({{provider, &data}}, errorText);
    }

    TClientDataSet& Load(const std::string& provider, const std::string& field, const std::string& value) {
        data_ = std::make_unique<TClientDataSet>();
        Server().RequestData(provider, TFilter().Add(provider + "." + field, "=", value), *data_);
        return *data_;
    }

    // Whether the call did what it asks, or was refused, by what it left behind.
    int Call(const std::string& call, const std::string& company) {
        TVariantArray keys;
        TRequestResult rows;
        if (call == "post") return Server().PostPurchase(Draft(company), keys);
        if (call == "annul") {
            Variant unapplied;
            return Server().AnnulDocument(PostedAsAdmin(), 0, "", TDateTime::FromDate(2026, 11, 30), 0, unapplied);
        }
        if (call == "save" || call == "delete") {
            TClientDataSet& header = Load("D_PurchHeader", "Id", Draft(company));
            if (call == "delete") header.Delete();
            else header.Edit(), header.FieldByName("VendorInvoiceNo").SetAsString("NEW"), header.Post();
            return Apply(header, "D_PurchHeader");
        }
        if (call == "insert") {
            TClientDataSet& header = Load("D_PurchHeader", "Id", "none");
            header.Append();
            header.FieldByName("Id").SetAsString("NEW-1");
            header.FieldByName("Comp_Id").SetAsString(company);
            header.FieldByName("DocumentType").SetAsInteger(1);
            header.Post();
            return Apply(header, "D_PurchHeader");
        }
        if (call == "setup") {
            TClientDataSet& setup = Load("C_PurchasesSetup", "Id", company);
            setup.Edit(), setup.FieldByName("PurchOrderBuf_Series_Id").SetAsString("PINV"), setup.Post();
            return Apply(setup, "C_PurchasesSetup");
        }
        if (call == "generate")
            return Server().RequestValue(-1, "exec usp_ConvertPurchOffer '" + company + "', 'NONE', '1', 'BG-SOF', ''",
                                         "Code,ErrMsg", {}, rows) > 0 && rows.Value(0, 0).AsInteger() != 0;
        if (call == "script") return Server().ExecuteSQLScript("exec usp_RecalcPurchDocument '" + Draft(company) + "'");
        if (call == "function")
            return Server().RequestValue(0, "fn_GetDocPayMethod('" + company + "','BG-SOF','',1,'SD-520','V03')", "*", {},
                                         rows);
        if (call == "read")
            return Server().RequestValue(0, "D_PurchHeader", "Id", TFilter().Add("D_PurchHeader.Comp_Id", "=", company), rows);
        if (call == "readsetup")
            return Server().RequestValue(0, "C_CompanySetup", "Name", TFilter().Add("C_CompanySetup.Id", "=", company), rows);
        ADD_FAILURE() << "unknown call " << call;
        return 0;
    }

    int64_t Refusals(const std::string& key) { return Count("S_ErrorLog", "Message LIKE '%(" + key + ")%'"); }
    int64_t AllRefusals() { return Refusals("err_RightNotGranted") + Refusals("err_OtherCompany") + Refusals("err_NotSignedIn"); }

private:
    int drafts_ = 0;
    std::unique_ptr<TClientDataSet> data_;
};

TEST_F(UserRightsTest, EachRoleMayCallWhatItsRightsAllow) {
    for (const TGoldenCase& c : ReadGoldenCases("server/role_rights.txt")) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(SignIn(c.Text("Role")), 0);
        const std::string key = c.Text("Key");
        const int64_t before = AllRefusals();
        const int64_t entries = Count("G_ContragentEntry");
        int result = -1;
        try {
            result = Call(c.Text("Call"), c.Has("Company") ? c.Text("Company") : "DEMO");
        } catch (const server::EQueryRefused&) {  // a read has no other way to refuse
        }
        const int64_t refused = AllRefusals() - before;
        if (key == "ok") {
            EXPECT_EQ(refused, 0) << Server().LastRefusalText();
            if (c.Text("Call") != "generate") {
                EXPECT_GE(result, 0) << Server().LastRefusalText();
            }
        } else {
            EXPECT_EQ(refused, 1);
            EXPECT_EQ(Server().LastRefusalText().substr(0, 20), Server().GetMessageText(key).substr(0, 20));
            EXPECT_EQ(Count("G_ContragentEntry"), entries + (c.Text("Call") == "annul" ? 1 : 0));
        }
    }
}

TEST_F(UserRightsTest, AWrongPasswordOrALockedUserIsRefusedAndLogged) {
    struct TCase {
        const char* Name;
        const char* Login;
        const char* Password;
        bool Locked;
        int Result;
    } cases[] = {
        {"the README's password", "buyer", "demo-buyer", false, 0},
        {"a wrong password", "buyer", "demo-admin", false, -1},
        {"an empty password", "buyer", "", false, -1},
        {"an unknown login", "nobody", "demo-buyer", false, -1},
        {"a locked user", "buyer", "demo-buyer", true, -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Exec(std::string("UPDATE S_User SET Active = ") + (c.Locked ? "0" : "1"));
        server::SignInDemoUser(Server());
        const int64_t logged = Refusals("err_LoginFailed");
        TSignedInUser user;
        EXPECT_EQ(Server().Login({}, c.Login, c.Password, user), c.Result);
        EXPECT_EQ(Refusals("err_LoginFailed"), logged + (c.Result == 0 ? 0 : 1));
        EXPECT_EQ(Server().Session().UserId, c.Result == 0 ? "BUYER" : server::kDemoUserId);
    }
    TRequestResult hashes;
    EXPECT_THROW(Server().RequestValue(0, "S_User", "PasswordHash", {}, hashes), server::EQueryRefused);
}

}  // namespace
}  // namespace tavrek::testing
