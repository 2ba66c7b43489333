#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "base/forms/Selectors.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TfBaseEditMaster.h"
#include "frame/uPurchasePackage.h"
#include "others/uOthersBrowse.h"
#include "others/uOthersForms.h"

namespace tavrek::testing {
namespace {

class OthersForms : public OthersFixture {
protected:
    std::string PostedInvoice() { return Value("SELECT Id FROM D_PurchInvoiceHeader").AsString(); }

    // The rows of a form opened by number as its caller opens it.
    TfOthersBrowse& Open(int number, const TFilter& filter, const TDefaultValues& defaults = {}) {
        RequestForm(number, {soNormal}, filter, Variant(), Variant(), nullptr, defaults);
        EXPECT_FALSE(host.OpenForms().empty()) << number;
        auto* form = dynamic_cast<TfOthersBrowse*>(host.OpenForms().back());
        if (form == nullptr) throw std::runtime_error("no browse form under " + std::to_string(number));
        return *form;
    }
};

// Each selector as its caller opens it: the filter it passes, the fields it copies by name,
// and the rows a buyer expects to choose from.
TEST_F(OthersForms, SelectorsListWhatTheirCallersChooseWithTheFieldsTheyCopy) {
    const std::string setupAccount = "4091";
    const struct {
        const char* name;
        const char* selector;
        TFilter filter;
        const char* copied;
        int rows;
        const char* key;  // a row found by key, and one of its values
        Variant keyValue;
        const char* field;
        Variant value;
    } cases[] = {
        {"the vendor's open advance", "3680",
         TFilter()
             .Add("G_LAccountDimension.ReferenceType", "=", 0, "AND")
             .Add("G_LAccountDimension.Reference_Id", "=", "V01", "AND")
             .Add("G_LAccountDimension.Account_Id", "=", setupAccount),
         "Id,Account_Id,sAmount,Description,GlobalDimension_Id", 1, "Id", "ADV-V01-1", "sAmount", 200.0},
        {"no advances of another vendor", "3680",
         TFilter()
             .Add("G_LAccountDimension.ReferenceType", "=", 0, "AND")
             .Add("G_LAccountDimension.Reference_Id", "=", "V03", "AND")
             .Add("G_LAccountDimension.Account_Id", "=", setupAccount),
         "Id", 0, "", {}, "", {}},
        {"posted invoice lines outside the VAT ledger of the vendor", "10680",
         TFilter()
             .Add("D_PurchInvoiceHeader.Comp_Id", "=", "DEMO", " AND")
             .Add("D_PurchInvoiceHeader.DoNotIncInVATLedger", "=", 1, " AND")
             .Add("D_PurchInvoiceHeader.Annul", "=", 0, " AND")
             .Add("D_PurchInvoiceHeader.IsGlobalInvoice", " <>", 1, " AND")
             .Add("D_PurchInvoiceHeader.Contragent_Id", " =", "V03", " AND")
             .Add("D_PurchInvoiceHeader.GlobalInvoiceNo", " is", "NULL"),
         "Type,Id,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,LineDiscount_Percent,"
         "Code,VATPercent,ReturnedQTY,Description2,VATProdPostGroup_Id,QtyPerUnit,Quantity_Base,InventoryPostGroup_Id,"
         "GenProdPostGroup_Id",
         2, "Code", "1008", "Quantity", 10.0},
        {"no lines once in a global invoice", "10680",
         TFilter().Add("D_PurchInvoiceHeader.Contragent_Id", "=", "V03", "AND")
             .Add("D_PurchInvoiceHeader.GlobalInvoiceNo", "=", "G1"),
         "Id", 0, "", {}, "", {}},
        {"credit memo lines", "10700", TFilter().Add("D_PurchCrMemoHeader.Contragent_Id", "=", "V03"),
         "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,LineDiscount_Percent,"
         "Code,VATPercent,Description2,QtyPerUnit,Quantity_Base,InventoryPostGroup_Id,GenProdPostGroup_Id,"
         "VATProdPostGroup_Id,Id,DocumentNo",
         0, "", {}, "", {}},
        {"open order lines of the vendor with what is left to receive", "10510",
         TFilter().Add("D_PurchHeader.Contragent_Id", " =", "V01"),
         "Type,AllowInvoiceDisc,Currency_Id,Description,Description2,GenBusPostGroup_Id,GenProdPostGroup_Id,"
         "InventoryPostGroup_Id,Measure_Id,VATPercent,VATLedger,VATBusPostGroup_Id,VATProdPostGroup_Id,SerialNo,PartNo,"
         "Code,PriceIncludingVAT,DirectUnitCost_ACY,Id,CalculatedQTY,LineDiscount,QtyPerUnitOfMeasure",
         1, "Id", "{O1-1}", "CalculatedQTY", 20.0},
        {"the lines of one order", "10510", TFilter().Add("D_PurchaseLine.Master_Id", "=", kOrder), "Id", 1, "Id",
         "{O1-1}", "Code", "1001"},
        {"purchase document subtypes", "10770", TFilter(), "Id,Code,Name",
         static_cast<int>(Value("SELECT COUNT(*) FROM N_SubDocument WHERE SaleOrPurchase = 1").AsInteger()), "Code",
         "520", "Id", "SD-520"},
        {"vendors by a part of their code", "410",
         TFilter()
             .Add("N_Contragent.Code", "LIKE", "%500%", "AND")
             .Add("(N_Contragent.ContragentType", "=", 1, "OR")
             .Add("N_Contragent.ContragentType", "=", 2, ")"),
         "Code,Name", 9, "Code", "5001", "Name", Value("SELECT Name FROM N_Contragent WHERE Id = 'V01'")},
        {"producers", "330", TFilter().Add("N_Producer.Id", "LIKE", "%%"), "Id,Name", 0, "", {}, "", {}},
        {"product groups", "610", TFilter(), "Id", 0, "", {}, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TClientDataSet rows;
        LoadSelectorRows(c.selector, c.filter, rows);
        EXPECT_EQ(rows.RecordCount(), c.rows);
        std::string copied = c.copied;
        for (size_t start = 0, comma = 0; start <= copied.size(); start = comma + 1) {
            comma = std::min(copied.find(',', start), copied.size());
            EXPECT_NE(rows.FindField(copied.substr(start, comma - start)), nullptr)
                << copied.substr(start, comma - start);
        }
        if (*c.key != '\0') {
            ASSERT_TRUE(rows.Locate(c.key, {c.keyValue}));
            // Computed columns of views come typed by the engine: SQLite hands them out as text.
            if (c.value.Type() == TVarType::varDouble) {
                EXPECT_DOUBLE_EQ(rows.FieldByName(c.field).AsFloat(), c.value.AsFloat());
            } else {
                EXPECT_EQ(rows.FieldByName(c.field).Value(), c.value);
            }
        }
    }
}

// Every form number of other packages in the catalogue, opened as its caller opens it on the
// posted invoice of V03: the rows a buyer reads and the total under the grid.
TEST_F(OthersForms, EveryCataloguedFormOpensOnWhatItsCallerPasses) {
    const Variant vendorRemaining = Value("SELECT Remaining FROM G_ContragentEntry WHERE Contragent_Id = 'V03'");
    const std::string posted = PostedInvoice();
    const struct {
        int number;
        TFilter filter;
        TDefaultValues defaults;
        int rows;
        const char* total;
        Variant value;
    } cases[] = {
        {380,
         TFilter()
             .Add("dv_ContragentEntry.Contragent_ID", "=", "V03", "AND")
             .Add("dv_ContragentEntry.Gen_PostingType", "=", 0, "AND")
             .Add("dv_ContragentEntry.Opened", "=", 1),
         {}, 1, "Remaining", vendorRemaining},
        {390,
         TFilter()
             .Add("dv_ItemEntry.Item_Id", "=", "1008", "AND")
             .Add("dv_ItemEntry.Comp_Id", "=", "DEMO", "AND")
             .Add("dv_ItemEntry.BusinessGroup_Id", "=", "BG-SOF"),
         {}, 1, "Quantity", 10.0},
        {880,
         TFilter()
             .Add("G_LItemEntry_0.fItem_Id", "=", "1010", "AND")
             .Add("G_LItemEntry_0.fComp_Id", "=", "DEMO", "AND")
             .Add("G_LItemEntry_0.SLevel", "=", 0),
         {}, 1, "Quantity", 2.5},
        {9070,
         TFilter()
             .Add("G_LAccountDimension.ReferenceType", "=", 0, "AND")
             .Add("G_LAccountDimension.Reference_Id", "=", "V01", "AND")
             .Add("G_LAccountDimension.Account_Id", "=", "4091"),
         {}, 1, "sAmount", 200.0},
        {3730, {}, {{"Contragent_id", "V03"}, {"DueDate", Variant(TDateTime::FromDate(2026, 8, 1))}}, 1, "Remaining",
         vendorRemaining},
        {3730, {}, {{"Contragent_id", "V03"}, {"DueDate", Variant(TDateTime::FromDate(2026, 7, 1))}}, 0, "", {}},
        {2060, {}, {{"Contragent_Id", "V03"}, {"N_Contragent_Code", "5003"}, {"N_Contragent_Name", "Родопа"}}, 1,
         "Amount", Value("SELECT Amount FROM G_ContragentEntry WHERE Contragent_Id = 'V03'")},
        {10680, TFilter().Add("D_PurchInvoiceHeader.Comp_Id", "=", "DEMO", " AND")
             .Add("D_PurchInvoiceHeader.GlobalInvoiceNo", "=", "G1"), {}, 0, "", {}},
        {10700, TFilter().Add("D_PurchCrMemoHeader.Comp_Id", "=", "DEMO"), {}, 0, "", {}},
        {10770, {}, {}, static_cast<int>(Value("SELECT COUNT(*) FROM N_SubDocument WHERE SaleOrPurchase = 1").AsInteger()),
         "", {}},
        {622, {}, {{"SaleOrPurhchase", 1}, {"Item_id", "1008"}, {"DocumentDate", "20261207"}, {"Contragent_id", "V03"}},
         static_cast<int>(Count("N_VendorDiscount", "Item_Id = '1008' AND Contragent_Id = 'V03'")), "", {}},
        {10620,
         TFilter()
             .Add("D_PostItemChargeAssigment.Comp_Id", "=", "DEMO", " AND")
             .Add("D_PostItemChargeAssigment.SrcDocument_ID", "=", posted),
         {}, 0, "", {}},
        {3260, TFilter().Add("D_PostPurchOrderLineDetail.Comp_Id", "=", "DEMO"), {}, 0, "", {}},
        {4490, TFilter().Add("D_PurchaseBufLineDetail.Comp_Id", "=", "DEMO"), {}, 0, "", {}},
        {3590, {}, {{"pBuffLine_Id", "L1"}}, 0, "", {}},
        {710,
         TFilter()
             .Add("N_SalesPrice.Item_Id", "=", "1008", "AND")
             .Add("N_SalesPrice.SalesType", "<=", 2, "AND")
             .Add("N_SalesPrice.SalesCode", "=", "5003", "AND")
             .Add("N_SalesPrice.StartingDate", "<=", "20261207", "AND")
             .Add("N_SalesPrice.EndingDate", "IS", Variant()),
         {}, 0, "", {}},
        {10790,
         TFilter()
             .Add("(dv_PurchOrdersByLines.DocumentType", "=", 0, "OR")
             .Add("(dv_PurchOrdersByLines.DocumentType", "=", 1, "AND")
             .Add("dv_PurchOrdersByLines.BusinessGroup_Id", "=", "BG-SOF", ")) AND")
             .Add("dv_PurchOrdersByLines.Code", "=", "1001"),
         {}, 1, "OutstandingQty", 20.0},
        {10800,
         TFilter()
             .Add("dv_BlockedQty.Code", "=", "1008", "AND")
             .Add("dv_BlockedQty.BusinessGroup_Id", "=", "BG-SOF", "AND")
             .Add("dv_BlockedQty.Line_Id", "<>", "L1"),
         {}, 0, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        TfOthersBrowse& form = Open(c.number, c.filter, c.defaults);
        EXPECT_STREQ(form.ClassName().c_str(), FindCatalogueNumber(c.number)->ClassName);
        EXPECT_EQ(form.cdsMaster.RecordCount(), c.rows);
        if (*c.total != '\0') {
            EXPECT_EQ(form.cdsMaster.AggregateValue(std::string("Agg_") + c.total), c.value);
        }
        EXPECT_TRUE(form.ReadOnly);
        ExpectNoErrors();
    }
    // What is not built yet tells the user so instead of opening.
    const std::set<int> missing = {10830, 10831, 10840, 10841, 11410, 11411, 11451};
    for (const TFormCatalogueEntry& entry : FormCatalogue())
        if (!entry.Package) {
            EXPECT_EQ(FormRegistry().FindNumber(entry.FormNumber) == nullptr, missing.count(entry.FormNumber) > 0)
                << entry.FormNumber;
        }
}

// The cards, editors and the order line selection, each opened by number with what its caller
// passes, show what the caller meant; with the browse forms above they are every catalogued
// form of the other packages that is built.
TEST_F(OthersForms, EveryCardAndEditorOpensOnWhatItsCallerPasses) {
    PurchasePackageStartup();
    const Variant none;
    // Open protocols of an invoice and of a credit memo, named by the posted views as the
    // posted documents they will become.
    Exec("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentDate) VALUES "
         "('{GP1}', 'DEMO', 40, 'V03', 46200), ('{GP2}', 'DEMO', 41, 'V03', 46200)");
    const struct {
        int number;
        TFilter filter;
        TDefaultValues defaults;
        const char* dataSet;
        const char* field;  // a value the caller's filter or values decide
        Variant value;
        int records;
    } cases[] = {
        {401, TFilter().Add("N_Item.Id", "=", "1010"), {}, "cdsMaster", "Id", "1010", 1},
        {411, TFilter().Add("N_Contragent.ID", "=", "V03"), {}, "cdsMaster", "Code", "5003", 1},
        {1040, {}, {{"AppliesToDoc_Type", 3}}, "cdsMaster", "AppliesToDoc_Type", 3, 1},
        {4230, {}, {{"", "{R9}"}, {"", "0000000099"}, {"", "1"}}, "cdsMaster", "ReceiptNo", "0000000099", 1},
        {10600,
         {},
         {{"TableName", "D_PurchaseLine"}, {"Document_Id", kOrder}, {"AppliesToDoc_Id", "{O1-9}"},
          {"ItemCharge_Id", "FREIGHT"}, {"Quantity", 1.0}, {"UnitCost", 12.0}},
         "cdsMaster", "Code", "1001", 2},
        {12230,
         TFilter()
             .Add("D_FutureCostPeriod.Comp_Id", "=", "DEMO", " AND")
             .Add("D_FutureCostPeriod.Master_id", "=", kInvoice, "AND")
             .Add("D_FutureCostPeriod.MasterLine_Id", "=", "{L9}"),
         {{"MasterLine_Id", "{L9}"}, {"Master_id", kInvoice}, {"hTotalValue", 120.0}, {"hAccount_id", "6021"}},
         "cdsLine", "hAccount_id", "6021", 1},
        {10510, TFilter().Add("D_PurchHeader.Contragent_Id", " =", "V01"), {}, "cdsMaster", "Code", "1001", 2},
        {11001, TFilter().Add("D_PurchInvoiceHeader.Id", "=", "'{GP1}'"), {}, "cdsMaster", "DocumentType", 40, 1},
        {11441, TFilter().Add("D_PurchCrMemoHeader.Id", "=", "'{GP2}'"), {}, "cdsMaster", "DocumentType", 41, 1},
    };
    std::set<int> walked;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        RequestForm(c.number, {soNormal}, c.filter, none, none, nullptr, c.defaults);
        TfBase& form = *host.OpenForms().back();
        EXPECT_EQ(form.ClassName(), FindCatalogueNumber(c.number)->ClassName);
        TClientDataSet& data = *form.FindDataSet(c.dataSet);
        EXPECT_EQ(data.RecordCount() + (data.State() == TDataSetState::dsInsert ? 1 : 0), c.records);
        ASSERT_TRUE(data.Locate(c.field, {c.value}));
        ExpectNoErrors();
        walked.insert(c.number);
    }
    for (const TFormCatalogueEntry& entry : FormCatalogue()) {
        if (entry.Package || FormRegistry().FindNumber(entry.FormNumber) == nullptr) continue;
        EXPECT_TRUE(walked.count(entry.FormNumber) > 0 || uOthersForms::FindByClass(entry.ClassName) != nullptr)
            << entry.FormNumber;
    }
    PurchasePackageShutdown();
}

// A global document's sources are taken out through the line selectors in removal mode: the
// chosen document's lines leave the global document, lines typed into it stay, and the
// source lines are offered for choosing again.
TEST_F(OthersForms, RemovalModeTakesTheChosenSourceDocumentsOutOfTheGlobalDocument) {
    Exec("INSERT INTO D_PurchCrMemoHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo, NotIncludeVatLedger, "
         "Annul) VALUES ('{C1}', 'DEMO', 13, 'V03', 'C-1', 1, 0), ('{C2}', 'DEMO', 13, 'V03', 'C-2', 1, 0);"
         "INSERT INTO D_PurchCrMemoLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity) VALUES "
         "('{C1}', '{C1-1}', 'DEMO', 1, 1, '1008', 2), ('{C2}', '{C2-1}', 'DEMO', 1, 1, '1010', 1);"
         "INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo) VALUES "
         "('{GI}', 'DEMO', 3, 'V03', 'G-1'), ('{GC}', 'DEMO', 15, 'V03', 'G-2');"
         "INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, SrcLine_Id) "
         "SELECT '{GI}', 'GI-' || Id, 'DEMO', Line_No, Type, Code, Id FROM D_PurchInvoiceLine UNION ALL "
         "SELECT '{GC}', 'GC-' || Id, 'DEMO', 1, Type, Code, Id FROM D_PurchCrMemoLine;"
         "INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code) VALUES "
         "('{GI}', 'GI-TYPED', 'DEMO', 9, 1, '1001'), ('{GC}', 'GC-TYPED', 'DEMO', 9, 1, '1001')");
    const struct {
        int number;
        const char* className;
        const char* header;  // of the source documents
        const char* globalNo;
        const char* global;
        const char* chosen;  // the source document taken out
        int listed;          // its lines and the other documents' lines in the global document
        int left;            // lines of the global document afterwards
    } cases[] = {
        {10680, "TfBrSelectPurchInvoiceLines", "D_PurchInvoiceHeader", "GlobalInvoiceNo", "{GI}", "", 2, 1},
        {10700, "TfBrSelectPurchCrMemoLines", "D_PurchCrMemoHeader", "GlobalCrMemoNo", "{GC}", "{C2}", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const std::string header = c.header, documentNo = c.number == 10680 ? "G-1" : "G-2";
        const auto sourcesOf = [&](const Variant& number) {
            TClientDataSet rows;
            LoadSelectorRows(std::to_string(c.number),
                             TFilter()
                                 .Add(header + ".Contragent_Id", "=", "V03", " AND")
                                 .Add(header + "." + c.globalNo, number.IsNull() ? " is" : "=",
                                      number.IsNull() ? Variant("NULL") : number),
                             rows);
            return rows.RecordCount();
        };
        EXPECT_EQ(sourcesOf(Variant()), 0);
        TFormRequest request;
        request.FormNumber = c.number;
        request.ShowOptions = {soRemoveSources};
        request.Filter = TFilter()
                             .Add(header + ".Comp_Id", "=", "DEMO", " AND")
                             .Add(header + "." + c.globalNo, "=", documentNo);
        request.DefaultValues = {{"DocumentType", 0}, {"Id", c.global}, {"DocumentNo", documentNo}};
        host.ScriptModal(c.className, [&c](TfBase& form) {
            auto& selector = static_cast<TfOthersBrowse&>(form);
            EXPECT_EQ(selector.cdsMaster.RecordCount(), c.listed);
            EXPECT_TRUE(selector.acRemoveSources.Visible);
            EXPECT_FALSE(selector.acSelectRecord.Visible);
            if (*c.chosen != '\0') {
                EXPECT_TRUE(selector.cdsMaster.Locate("Master_Id", {Variant(c.chosen)}));
            }
            selector.acRemoveSources.Execute();
            return form.ModalResult;
        });
        ASSERT_EQ(RequestForm(request), 1);
        ExpectNoErrors();
        EXPECT_EQ(Count("D_GlobalPurchLine", std::string("Master_Id = '") + c.global + "'"), c.left);
        EXPECT_EQ(Count("D_GlobalPurchLine", std::string("Master_Id = '") + c.global + "' AND SrcLine_Id IS NULL"), 1);
        EXPECT_EQ(sourcesOf(Variant()), c.listed - (c.left - 1));
        EXPECT_EQ(sourcesOf(Variant(documentNo)), c.left - 1);
    }
}

TEST_F(OthersForms, SearchNarrowsARowOpensItsCardAndAModalFormHandsBackTheChosenRow) {
    TfOthersBrowse& history = Open(390, TFilter().Add("dv_ItemEntry.Comp_Id", "=", "DEMO"));
    EXPECT_EQ(history.cdsMaster.RecordCount(), 2);
    history.cdsFilter.Edit();
    history.cdsFilter.FieldByName("SearchText").SetAsString("няма такъв");
    EXPECT_EQ(history.cdsMaster.RecordCount(), 0);
    history.cdsFilter.FieldByName("SearchText")
        .SetAsString(Value("SELECT DocumentNo FROM D_PurchInvoiceHeader").AsString());
    EXPECT_EQ(history.cdsMaster.RecordCount(), 2);
    ASSERT_TRUE(history.cdsMaster.Locate("Item_Id", {Variant("1010")}));
    history.dbgMaster.OnDblClick();
    auto* card = dynamic_cast<TfBaseEditMaster*>(host.OpenForms().back());
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->ClassName(), "TfEdItem");
    EXPECT_EQ(card->cdsMaster.FieldByName("Code").AsString(), "1010");

    TFormRequest request;
    request.FormNumber = 10770;
    request.ShowOptions = {soModal};
    host.ScriptModal("TfBrSelectDocSubType", [](TfBase& form) {
        EXPECT_TRUE(form.cdsMaster.Locate("Code", {Variant("520")}));
        static_cast<TfOthersBrowse&>(form).acSelectRecord.Execute();
        return form.ModalResult;
    });
    ASSERT_EQ(RequestForm(request), 1);
    ASSERT_GE(request.Result.size(), 2u);
    EXPECT_EQ(request.Result[0].AsString(), "SD-520");
    EXPECT_EQ(request.Result[1].AsString(), "520");
    ExpectNoErrors();
}

}  // namespace
}  // namespace tavrek::testing
