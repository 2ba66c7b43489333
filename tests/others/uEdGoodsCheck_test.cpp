#include "others/uEdGoodsCheck.h"

#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "frame/uPurchasePackage.h"

namespace tavrek::testing {
namespace {

// A posted receipt of V03: 10 x 1008 and 2.5 x 1010, and a freight line on an account,
// which is not counted.
class GoodsCheck : public OthersFixture {
protected:
    GoodsCheck() {
        PurchasePackageStartup();
        Exec("INSERT INTO D_PurchReceiptHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo, DocumentDate) "
             "VALUES ('{R1}', 'DEMO', 26, 'V03', '0000000031', 46201);"
             "INSERT INTO D_PurchReceiptLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, "
             "Quantity) VALUES ('{R1}', '{R1-1}', 'DEMO', 1, 1, '1008', 'Захар', 'KG', 10), "
             "('{R1}', '{R1-2}', 'DEMO', 2, 2, '6021', 'Транспорт', '', 1), "
             "('{R1}', '{R1-3}', 'DEMO', 3, 1, '1010', 'Олио', 'L', 2.5)");
    }
    ~GoodsCheck() override { PurchasePackageShutdown(); }

    // The stock check as a buyer opens it: "Проверка на стока" of the receipt or its list.
    TfEdGoodsCheck& CheckFrom(int receiptForm) {
        RequestForm(receiptForm, {soNormal}, TFilter().Add("D_PurchReceiptHeader.Id", "=", "{R1}"), Variant(),
                    Variant(), nullptr, {});
        host.OpenForms().back()->pmDocument.Find("miCheckOnGoods")->Click();
        auto* check = dynamic_cast<TfEdGoodsCheck*>(host.OpenForms().back());
        if (check == nullptr) throw std::runtime_error("no stock check opened");
        return *check;
    }
    void Count(TfEdGoodsCheck& check, std::initializer_list<Variant> counted) {
        check.cdsDetail.First();
        for (const Variant& quantity : counted) {
            check.cdsDetail.Edit();
            check.cdsDetail.FieldByName("CountedQty").SetValue(quantity);
            check.cdsDetail.Post();
            check.cdsDetail.Next();
        }
    }
    using OthersFixture::Count;
};

// The check lists the receipt's item lines; it is saved only when every line is counted and
// none below zero, and then holds each line's difference.
TEST_F(GoodsCheck, CountedLinesAreSavedWithTheirDifferences) {
    TfEdGoodsCheck& check = CheckFrom(10050);
    EXPECT_EQ(check.cdsMaster.FieldByName("ReceiptNo").AsString(), "0000000031");
    EXPECT_EQ(check.cdsMaster.FieldByName("CheckType").AsInteger(), 1);
    ASSERT_EQ(check.cdsDetail.RecordCount(), 2);
    const struct {
        const char* name;
        std::initializer_list<Variant> counted;
        const char* refusal;  // a part of the message, empty when the check is saved
    } cases[] = {
        {"a line not counted", {Variant(10.0), Variant()}, "ред 3"},
        {"a negative count", {Variant(-1.0), Variant(2.5)}, "отрицателно"},
        {"all found", {Variant(10.0), Variant(2.5)}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Count(check, c.counted);
        if (*c.refusal != '\0') dialogs.ExpectMessage(mrOk, c.refusal);
        check.acSave.Execute();
        EXPECT_EQ(Count("D_GoodsCheckHeader"), *c.refusal == '\0' ? 1 : 0);
    }
    EXPECT_EQ(Count("D_GoodsCheckLine", "DifferenceQty = 0 AND ReceiptLine_Id IN ('{R1-1}', '{R1-3}')"), 2);
    EXPECT_EQ(Value("SELECT DifferenceLines FROM D_GoodsCheckHeader").AsInteger(), 0);
}

// A recount opens the receipt's check again, from the list as from the view, and replaces
// the figures instead of adding a second check.
TEST_F(GoodsCheck, ARecountReplacesTheFiguresOfTheReceiptsCheck) {
    TfEdGoodsCheck& first = CheckFrom(10050);
    Count(first, {Variant(9.0), Variant(2.5)});
    first.acSave.Execute();
    EXPECT_EQ(Value("SELECT DifferenceQty FROM D_GoodsCheckLine WHERE Code = '1008'").AsFloat(), -1.0);
    EXPECT_EQ(Value("SELECT DifferenceLines FROM D_GoodsCheckHeader").AsInteger(), 1);

    TfEdGoodsCheck& recount = CheckFrom(10051);
    ASSERT_EQ(recount.cdsDetail.RecordCount(), 2);
    EXPECT_DOUBLE_EQ(recount.cdsDetail.FieldByName("CountedQty").AsFloat(), 9.0);
    Count(recount, {Variant(10.0), Variant(2.75)});
    recount.acSave.Execute();
    EXPECT_EQ(Count("D_GoodsCheckHeader"), 1);
    EXPECT_EQ(Count("D_GoodsCheckLine"), 2);
    EXPECT_DOUBLE_EQ(Value("SELECT DifferenceQty FROM D_GoodsCheckLine WHERE Code = '1010'").AsFloat(), 0.25);
    EXPECT_EQ(Value("SELECT DifferenceLines FROM D_GoodsCheckHeader").AsInteger(), 1);
}

}  // namespace
}  // namespace tavrek::testing
