#include "server/TCallParser.h"

#include <gtest/gtest.h>

namespace tavrek::server {
namespace {

struct TExecCase {
    const char* Text;
    const char* Name;
    TVariantArray Args;
};

TEST(TCallParser, ExecTextsGiveNameAndLiterals) {
    const TExecCase cases[] = {
        {"exec dbo.usp_SaveHistoryBeforeDelete 'DEMO', '{A-1}', 6, 'ADMIN', 'BG-SOF'",
         "usp_SaveHistoryBeforeDelete", {"DEMO", "{A-1}", 6, "ADMIN", "BG-SOF"}},
        {"exec  usp_X 'a, b', 'c'", "usp_X", {"a, b", "c"}},                       // comma inside a value
        {"exec usp_X 'O''Brien', ''''", "usp_X", {"O'Brien", "'"}},               // doubled quotes
        {"EXEC [dbo].[usp_X] 'x' ,'y',0,0 ,0 ", "usp_X", {"x", "y", 0, 0, 0}},    // spacing of the package
        {"exec usp_X N'кирилица', NULL, -1.5", "usp_X", {"кирилица", Variant(), -1.5}},
        {"exec usp_X", "usp_X", {}},
        {"exec usp_X '; DROP TABLE D_PurchHeader; --'", "usp_X", {"; DROP TABLE D_PurchHeader; --"}},
    };
    for (const TExecCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const TParsedCall call = ParseExec(c.Text);
        EXPECT_EQ(call.Name, c.Name);
        ASSERT_EQ(call.Args.size(), c.Args.size());
        for (size_t i = 0; i < c.Args.size(); ++i) {
            EXPECT_TRUE(call.Args[i] == c.Args[i]) << i << ": " << call.Args[i].DebugString();
            EXPECT_EQ(call.Args[i].Type(), c.Args[i].Type()) << i;
        }
    }
}

TEST(TCallParser, FunctionCallsGiveNameAndLiterals) {
    const TParsedCall call = ParseFunctionCall("fn_GetDocPayMethod('DEMO','BG-SOF','ADMIN',1,'SD-520','V01')");
    EXPECT_EQ(call.Name, "fn_GetDocPayMethod");
    ASSERT_EQ(call.Args.size(), 6u);
    EXPECT_EQ(call.Args[3].AsInteger(), 1);
    EXPECT_EQ(call.Args[5].AsString(), "V01");
    EXPECT_TRUE(ParseFunctionCall("dbo.fn_X()").Args.empty());
}

TEST(TCallParser, MalformedTextsAreRefused) {
    for (const char* text : {"select * from N_Item", "exec", "exec usp_X 'open", "exec usp_X 'a' 'b'",
                             "exec usp_X abc", "exec usp_X 'a'; DROP TABLE N_Item", "exec usp_X; DROP TABLE N_Item"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseExec(text), ECallSyntaxError);
    }
    for (const char* text : {"fn_X('a'", "fn_X('a') UNION SELECT 1", "fn_X(a)", "fn X('a')"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseFunctionCall(text), ECallSyntaxError);
    }
}

}  // namespace
}  // namespace tavrek::server
