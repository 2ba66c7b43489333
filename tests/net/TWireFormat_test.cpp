#include "net/TWireFormat.h"

#include <gtest/gtest.h>

namespace tavrek::net {
namespace {

TEST(TWireFormatTest, ValuesAndFiltersComeBackAsSent) {
    const TVariantArray values = {Variant(), Variant(true), Variant(int64_t{-7}), Variant(0.1 + 0.2),
                                  Variant(std::string("Кисело мляко")), Variant(std::string()),
                                  Variant(TDateTime::FromDateTime(2026, 11, 20, 13, 5, 0))};
    google::protobuf::RepeatedPtrField<Value> wire;
    ToWire(values, wire);
    const TVariantArray back = FromWire(wire);
    ASSERT_EQ(back.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(back[i].Type(), values[i].Type()) << i;
        EXPECT_EQ(back[i].DebugString(), values[i].DebugString()) << i;
    }
    TFilter filter;
    filter.Add("(D_PurchHeader.Id", "=", "A1", "OR").Add("D_PurchHeader.Code", "LIKE", "10%", ") AND").Add("Annul", "IS", Variant());
    Filter wireFilter;
    ToWire(filter, wireFilter);
    const TFilter again = FromWire(wireFilter);
    ASSERT_EQ(again.Conditions().size(), filter.Conditions().size());
    for (size_t i = 0; i < filter.Conditions().size(); ++i) {
        const TFilterCondition& a = filter.Conditions()[i];
        const TFilterCondition& b = again.Conditions()[i];
        EXPECT_EQ(std::tie(a.Field, a.Op, a.Connector, a.Open, a.Close), std::tie(b.Field, b.Op, b.Connector, b.Open, b.Close));
        EXPECT_EQ(a.Value.DebugString(), b.Value.DebugString());
    }
    wireFilter.mutable_conditions(0)->set_op(99);
    EXPECT_THROW(FromWire(wireFilter), EFilterError);
}

// What the server applies must be exactly the client's log: the records changed, added and
// deleted, with the values the server gave them first.
TEST(TWireFormatTest, AChangeLogArrivesAsTheClientKeptIt) {
    TClientDataSet data("D_PurchaseLine");
    data.AddField("Id", TFieldType::ftString);
    data.AddField("Quantity", TFieldType::ftFloat);
    data.CreateDataSet();
    for (const char* id : {"L1", "L2", "L3", "L4"}) data.AppendLoaded({Variant(id), Variant(1.0)});
    data.First();  // L1 changed twice: the original stays the server's
    data.Edit();
    data.FieldByName("Quantity").SetAsFloat(2);
    data.Post();
    data.Edit();
    data.FieldByName("Quantity").SetAsFloat(3);
    data.Post();
    data.Next();  // L2 deleted after a change
    data.Edit();
    data.FieldByName("Quantity").SetAsFloat(9);
    data.Post();
    data.Delete();
    data.Append();
    data.FieldByName("Id").SetAsString("L5");
    data.FieldByName("Quantity").SetAsFloat(5);
    data.Post();
    Packet wire;
    ToWire(TUpdatePacket{"D_PurchaseLine", &data}, wire);
    const std::unique_ptr<TClientDataSet> arrived = ChangesFromWire(wire);
    const auto text = [](const TClientDataSet& d) {
        std::string t;
        for (const TDeltaRecord& r : d.Delta()) {
            t += std::to_string(static_cast<int>(r.Status)) + ":";
            for (const Variant& v : *r.Values) t += v.DebugString() + ",";
            t += "/";
            if (r.Original != nullptr)
                for (const Variant& v : *r.Original) t += v.DebugString() + ",";
            t += "\n";
        }
        return t;
    };
    EXPECT_EQ(text(*arrived), text(data));
    EXPECT_EQ(arrived->Delta().size(), 3u);
}

}  // namespace
}  // namespace tavrek::net
