#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "others/uEdItem.h"

namespace tavrek::testing {
namespace {

class OthersCards : public OthersFixture {
protected:
    template <typename Card>
    Card& Open(int number, const TFilter& filter) {
        RequestForm(number, {soNormal}, filter, Variant(), Variant(), nullptr, {});
        auto* card = dynamic_cast<Card*>(host.OpenForms().back());
        if (card == nullptr) throw std::runtime_error("no card under " + std::to_string(number));
        return *card;
    }
};

// A new item is saved only with a code no other item has and a name; master data is
// taken by its code and an unknown code is refused; a refused save stores nothing.
TEST_F(OthersCards, ANewItemIsCheckedBeforeItIsSaved) {
    TfEdItem& item = Open<TfEdItem>(401, TFilter());
    const int64_t items = Count("N_Item");
    item.acInsertRecord.Execute();
    TClientDataSet& record = item.cdsMaster;
    const struct {
        const char* name;
        const char* code;
        const char* itemName;
        const char* message;
    } refused[] = {
        {"no code", "", "Ново", "Въведете код"},
        {"no name", "2001", "", "Въведете наименование"},
        {"the code of another item", "1008", "Ново", "Вече има запис с този код"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        record.FieldByName("Code").SetAsString(c.code);
        record.FieldByName("Name").SetAsString(c.itemName);
        dialogs.ExpectMessage(mrOk, c.message);
        item.acSave.Execute();
        EXPECT_FALSE(item.LastSaveSucceeded());
        EXPECT_EQ(Count("N_Item"), items);
    }
    record.FieldByName("Code").SetAsString("2001");
    record.FieldByName("Name").SetAsString("Брашно лимец, 1 кг");
    dialogs.ExpectMessage(mrOk, "");
    EXPECT_FALSE(item.EnterFieldValue(record, record.FieldByName("BaseMeasure_Id"), Variant("ЯЩИК")));
    EXPECT_TRUE(item.EnterFieldValue(record, record.FieldByName("BaseMeasure_Id"), Variant("KG")));
    EXPECT_TRUE(item.EnterFieldValue(record, record.FieldByName("Vendor_Id"), Variant("5001")));
    item.acSave.Execute();
    EXPECT_TRUE(item.LastSaveSucceeded());
    EXPECT_EQ(Count("N_Item", "Code = '2001' AND Comp_Id = 'DEMO' AND BaseMeasure_Id = 'KG' AND Vendor_Id = 'V01'"), 1);
}

}  // namespace
}  // namespace tavrek::testing
