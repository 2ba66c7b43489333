#include "base/forms/TLookupDefinition.h"

#include <gtest/gtest.h>

#include "support/SessionTest.h"

namespace tavrek::testing {
namespace {

class LookupTest : public SessionTest {
protected:
    LookupTest() {
        for (const char* name : {"N_Contragent_Code", "N_Contragent_Name", "VATBusPostGroup_Id", "PayTerm_Id",
                                 "Contragent_Id", "Type", "Code", "Description"})
            header.AddField(name, std::string(name) == "Type" ? TFieldType::ftInteger : TFieldType::ftString);
        header.CreateDataSet();
        header.Append();
        header.FieldByName("N_Contragent_Code").SetAsString("5001");
        header.FieldByName("Contragent_Id").SetAsString("V01");
        header.Post();
        for (const char* name : {"PayTerm_Id", "Contragent_Id", "N_Contragent_Name", "VATBusPostGroup_Id"})
            header.FieldByName(name).OnChange = [this](TField& f) { ruled.push_back(f.FieldName()); };
    }

    const TLookupDefinition& Vendor() { return *FindLookup(header, "N_Contragent_Code"); }

    TClientDataSet header{"cdsMaster"};
    std::vector<std::string> ruled;
};

const TRequestResult kSugar = Rows({}, {{"5002", "Захарни заводи АД", "", "", "DOM", "", "", "D30", "V02"}});

// A typed vendor code brings the vendor's row; only the fields bound to rules run them, the
// key last, so that the vendor rule sees the record complete.
TEST_F(LookupTest, ATypedCodeBringsItsMasterRowAndRunsTheRulesOfTheKeyLast) {
    const struct {
        const char* Typed;
        std::vector<TRequestResult> Answers;  // by code, then by key
        bool Taken;
        const char* Vendor;
        std::vector<std::string> Ruled;
    } cases[] = {
        {"5002", {kSugar}, true, "V02", {"PayTerm_Id", "Contragent_Id"}},
        {" V02 ", {{}, kSugar}, true, "V02", {"PayTerm_Id", "Contragent_Id"}},
        {"9999", {{}, {}}, false, "V01", {}},
        {"", {}, false, "V01", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        ruled.clear();
        for (const TRequestResult& answer : c.Answers) server.OnRequestValue("N_Contragent", answer);
        if (!c.Taken) dialogs.ExpectMessage(mrOk, "Няма доставчик с код");
        EXPECT_EQ(EnterLookupCode(header, Vendor(), c.Typed), c.Taken);
        EXPECT_EQ(header.FieldByName("Contragent_Id").AsString(), c.Vendor);
        EXPECT_EQ(ruled, c.Ruled);
        EXPECT_TRUE(dialogs.AllAnswered());
        header.Cancel();
    }
    const TServerCall first = server.CallsTo("RequestValue").front();
    EXPECT_EQ(first.Args[2].AsString(),
              "Code,Name,Bulstat,VATRegistrationNo,GenBusPostGroup_Id,VATBusPostGroup_Id,CntrPostingGroup_Id,PayTerm_Id,Id");
    EXPECT_EQ(first.Args[3].AsString(), "N_Contragent.Code=5002 AND N_Contragent.Comp_Id=C1");
}

TEST_F(LookupTest, TheLineTypeChoosesWhatTheCodeRefersTo) {
    const struct {
        Variant Type;
        const char* Table;
    } cases[] = {{Variant(), "N_Item"}, {int64_t{1}, "N_Item"}, {int64_t{5}, "N_Item"}, {int64_t{2}, "G_LAccount"}, {int64_t{3}, ""}};
    for (const auto& c : cases) {
        header.Edit();
        header.FieldByName("Type").SetValue(c.Type);
        const TLookupDefinition* lookup = FindLookup(header, "Code");
        EXPECT_EQ(lookup == nullptr ? "" : lookup->MasterTable, c.Table);
    }
    EXPECT_EQ(FindLookup(header, "Description"), nullptr);
    EXPECT_EQ(FindLookup(header, "N_SubDocument_Code"), nullptr) << "a field the record lacks";
    EXPECT_EQ(FindLookup(header, "PayTerm_Id")->Copies.size(), 1u);
}

TEST_F(LookupTest, AChosenRowIsCopiedByItsColumnNames) {
    header.Edit();
    CopyLookupRow(header, Vendor(), Rows({"Id", "Name", "Code"}, {{"V03", "Родопа", "5003"}}));
    EXPECT_EQ(header.FieldByName("Contragent_Id").AsString(), "V03");
    EXPECT_EQ(header.FieldByName("N_Contragent_Name").AsString(), "Родопа");
    EXPECT_EQ(header.FieldByName("PayTerm_Id").AsString(), "") << "a column the row lacks is left alone";
    EXPECT_EQ(ruled, (std::vector<std::string>{"Contragent_Id"}));
}

// A person reads codes and names under Bulgarian captions; keys and the company stay hidden,
// except a key that is itself the code typed.
TEST(LookupColumns, EveryLookupShowsItsCodeFirstUnderBulgarianCaptionsAndNoInternalColumn) {
    const auto internal = [](const std::string& column) {
        return column == "Id" || column == "Comp_Id" || (column.size() > 3 && column.ends_with("_Id"));
    };
    const auto cyrillic = [](const std::string& caption) { return caption.find("\xD0") != std::string::npos; };
    std::vector<TLookupDefinition> lookups = StandardLookups();
    // The cards of master data look these up besides.
    for (const auto& [table, code] : {std::pair{"N_Producer", "Id"}, {"N_ItemProductGroup", "Id"},
                                      {"N_CntrPostingGroup", "Code"}, {"N_Store", "Code"}})
    {
        lookups.emplace_back();
        lookups.back().MasterTable = table;
        lookups.back().CodeColumn = code;
    }
    for (const TLookupDefinition& lookup : lookups) {
        SCOPED_TRACE(lookup.MasterTable);
        const std::vector<TLookupColumn>& shown = lookup.Shown();
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown.front().Column, lookup.CodeColumn) << "listed by code";
        int stretched = 0;
        for (const TLookupColumn& column : shown) {
            EXPECT_TRUE(cyrillic(column.Caption)) << column.Column;
            EXPECT_TRUE(column.Column == lookup.CodeColumn || !internal(column.Column)) << column.Column;
            stretched += column.Width == 0 ? 1 : 0;
        }
        EXPECT_EQ(stretched, 1) << "the name takes the room left";
    }
}

}  // namespace
}  // namespace tavrek::testing
