#include "base/data/TClientDataSet.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "support/DataSetBuilder.h"

namespace tavrek {
namespace {

using testing::AddRecord;
using testing::MakeDataSet;

std::unique_ptr<TClientDataSet> Lines() {
    auto ds = MakeDataSet("cdsDetail", {{"Id", TFieldType::ftString},
                                        {"Line_No", TFieldType::ftInteger},
                                        {"TotalValue", TFieldType::ftFloat},
                                        {"MasterLine_Id", TFieldType::ftString}});
    ds->AddAggregate("Agg_TotalValue", "SUM(TotalValue)");
    ds->AddAggregate("Agg_Line_No", "MAX(Line_No)");
    ds->AddAggregate("Agg_Count", "COUNT(Id)");
    return ds;
}

void AppendLine(TClientDataSet& ds, const std::string& id, int lineNo, double value) {
    ds.Append();
    ds.FieldByName("Id").SetAsString(id);
    ds.FieldByName("Line_No").SetAsInteger(lineNo);
    ds.FieldByName("TotalValue").SetAsFloat(value);
    ds.Post();
}

TEST(TClientDataSetTest, AggregatesFollowPostDeleteAndCancel) {
    auto ds = Lines();
    EXPECT_TRUE(ds->AggregateValue("Agg_TotalValue").IsNull()) << "an empty dataset has no sum";
    AppendLine(*ds, "A", 1, 0.1);
    AppendLine(*ds, "B", 2, 0.2);
    AppendLine(*ds, "C", 7, 10.35);
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 10.65);
    EXPECT_EQ(ds->AggregateValue("Agg_Line_No").AsInteger(), 7);

    ds->Locate("Id", {"C"});
    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(99.0);
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 10.65) << "unposted edits do not count";
    ds->Cancel();
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 10.65);

    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(0.05);
    ds->Post();
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 0.35);

    ds->Delete();
    EXPECT_EQ(ds->AggregateValue("Agg_Line_No").AsInteger(), 2) << "MAX falls back when the largest is deleted";
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 0.3) << "no residue of 0.1 + 0.2";
    ds->First();
    ds->Delete();
    ds->Delete();
    EXPECT_TRUE(ds->AggregateValue("Agg_TotalValue").IsNull());
    EXPECT_TRUE(ds->AggregateValue("Agg_Line_No").IsNull());
    EXPECT_EQ(ds->AggregateValue("Agg_Count").AsInteger(), 0);
}

TEST(TClientDataSetTest, SumStaysExactOverManyAddsAndRemoves) {
    auto ds = Lines();
    for (int i = 0; i < 1000; ++i) AppendLine(*ds, std::to_string(i), i, 0.01 * (i % 7) + 0.1);
    for (ds->First(); !ds->Eof();) {
        if (ds->FieldByName("Line_No").AsInteger() % 2 == 0) ds->Delete();
        else ds->Next();
    }
    int64_t cents = 0;
    for (int i = 1; i < 1000; i += 2) cents += 10 + i % 7;
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), static_cast<double>(cents) / 100.0);
}

TEST(TClientDataSetTest, CloneCursorSeesPostedEditsAndKeepsItsOwnPosition) {
    auto ds = Lines();
    AppendLine(*ds, "A", 1, 1.0);
    AppendLine(*ds, "B", 2, 2.0);
    TClientDataSet clone("clone");
    clone.CloneCursor(*ds);
    clone.Last();
    ds->First();
    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(5.0);
    ds->Post();
    EXPECT_EQ(clone.FieldByName("Id").AsString(), "B") << "the clone's position is its own";
    clone.First();
    EXPECT_EQ(clone.FieldByName("TotalValue").AsFloat(), 5.0);
    AppendLine(clone, "C", 3, 3.0);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 10.0);
    EXPECT_EQ(ds->ChangeCount(), 3) << "the change log is shared";
}

TEST(TClientDataSetTest, ChangeLogRecordsInsertsModificationsWithOriginalsAndDeletes) {
    auto ds = Lines();
    AddRecord(*ds, {{"Id", "A"}, {"TotalValue", 1.0}});
    AddRecord(*ds, {{"Id", "B"}, {"TotalValue", 2.0}});
    AddRecord(*ds, {{"Id", "C"}, {"TotalValue", 3.0}});
    EXPECT_EQ(ds->ChangeCount(), 0) << "records loaded from the server are not changes";

    ds->Locate("Id", {"A"});
    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(10.0);
    ds->Post();
    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(11.0);
    ds->Post();
    ds->Locate("Id", {"B"});
    ds->Delete();
    AppendLine(*ds, "N", 4, 4.0);
    AppendLine(*ds, "X", 5, 5.0);
    ds->Delete();  // an inserted record deleted again leaves no trace

    ASSERT_EQ(ds->ChangeCount(), 3);
    const auto delta = ds->Delta();
    ASSERT_EQ(delta.size(), 3u);
    EXPECT_EQ(delta[0].Status, TUpdateStatus::usModified);
    EXPECT_EQ((*delta[0].Original)[2].AsFloat(), 1.0) << "the original is the server's value, not the first edit";
    EXPECT_EQ((*delta[0].Values)[2].AsFloat(), 11.0);
    EXPECT_EQ(delta[1].Status, TUpdateStatus::usInserted);
    EXPECT_EQ(delta[1].Original, nullptr);
    EXPECT_EQ(delta[2].Status, TUpdateStatus::usDeleted);
    EXPECT_EQ((*delta[2].Original)[0].AsString(), "B");

    ds->CancelUpdates();
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 6.0);
    EXPECT_EQ(ds->Lookup("Id", {"A"}, "TotalValue").AsFloat(), 1.0);

    ds->Locate("Id", {"C"});
    ds->Delete();
    ds->MergeChangeLog();
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_TRUE(ds->Delta().empty());
}

TEST(TClientDataSetTest, FieldNamesCompareCaseInsensitively) {
    auto ds = Lines();
    EXPECT_EQ(&ds->FieldByName("totalvalue"), &ds->FieldByName("TotalValue"));
    EXPECT_EQ(ds->FindField("LINE_NO"), &ds->FieldByName("Line_No"));
    EXPECT_EQ(ds->FindField("Missing"), nullptr);
    EXPECT_THROW(ds->FieldByName("Missing"), EDatabaseError);
    AppendLine(*ds, "A", 7, 1.5);
    EXPECT_EQ(FieldValue(*ds, "line_no").AsInteger(), 7);
    EXPECT_TRUE(FieldValue(*ds, "MasterLine_Id").IsNull());
    EXPECT_TRUE(FieldValue(*ds, "Missing").IsNull()) << "an absent field reads as Null, it does not throw";
    EXPECT_NE(ds->FindAggregate("agg_totalvalue"), nullptr);
}

TEST(TClientDataSetTest, EventsRunInOrder) {
    auto ds = Lines();
    std::vector<std::string> events;
    auto log = [&](const char* name) { return [&events, name](TClientDataSet&) { events.push_back(name); }; };
    ds->BeforeInsert = log("BeforeInsert");
    ds->OnNewRecord = log("OnNewRecord");
    ds->AfterInsert = log("AfterInsert");
    ds->BeforeEdit = log("BeforeEdit");
    ds->BeforePost = log("BeforePost");
    ds->AfterPost = log("AfterPost");
    ds->BeforeDelete = log("BeforeDelete");
    ds->AfterDelete = log("AfterDelete");
    ds->AfterScroll = log("AfterScroll");
    ds->FieldByName("TotalValue").OnChange = [&](TField&) { events.push_back("OnChange"); };

    ds->Append();
    ds->FieldByName("TotalValue").SetAsFloat(1.0);
    ds->Post();
    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(1.0);
    ds->Post();
    ds->Delete();
    const std::vector<std::string> expected{"BeforeInsert", "OnNewRecord", "AfterInsert", "OnChange",
                                            "BeforePost",   "AfterPost",   "BeforeEdit",  "OnChange",
                                            "BeforePost",   "AfterPost",   "BeforeDelete", "AfterDelete",
                                            "AfterScroll"};
    EXPECT_EQ(events, expected) << "OnChange fires even when the value is the same";
}

TEST(TClientDataSetTest, WritingOutsideEditModeIsRefusedAndTypesAreEnforced) {
    auto ds = Lines();
    AppendLine(*ds, "A", 1, 1.0);
    EXPECT_THROW(ds->FieldByName("TotalValue").SetAsFloat(2.0), EDatabaseError);
    ds->Edit();
    ds->FieldByName("Line_No").SetValue("12");
    EXPECT_EQ(ds->FieldByName("Line_No").Value().Type(), TVarType::varInteger);
    EXPECT_ANY_THROW(ds->FieldByName("TotalValue").SetAsString("abc"));
    EXPECT_ANY_THROW(ds->FieldByName("TotalValue").SetAsFloat(std::numeric_limits<double>::infinity()));
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("Line_No").AsInteger(), 1);
}

TEST(TClientDataSetTest, NavigationImplicitlyPostsModifiedAndCancelsUntouchedRecords) {
    auto ds = Lines();
    AppendLine(*ds, "A", 1, 1.0);
    ds->Append();  // nothing typed: leaving the row drops it
    ds->First();
    EXPECT_EQ(ds->RecordCount(), 1);
    ds->Edit();
    ds->FieldByName("TotalValue").SetAsFloat(3.0);
    ds->Last();
    EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(ds->FieldByName("TotalValue").AsFloat(), 3.0);
}

TEST(TClientDataSetTest, InsertPlacesBeforeCurrentAndNavigationReportsEnds) {
    auto ds = Lines();
    AppendLine(*ds, "A", 1, 1.0);
    AppendLine(*ds, "C", 3, 3.0);
    ds->Insert();
    ds->FieldByName("Id").SetAsString("B");
    ds->Post();
    std::string order;
    for (ds->First(); !ds->Eof(); ds->Next()) order += ds->FieldByName("Id").AsString();
    EXPECT_EQ(order, "ABC");
    EXPECT_EQ(ds->FieldByName("Id").AsString(), "C") << "Next at the end stays on the last record";
    ds->First();
    ds->Prior();
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->RecNo(), 1);
}

TEST(TClientDataSetTest, BookmarksSurviveInsertsBeforeThem) {
    auto ds = Lines();
    AppendLine(*ds, "A", 1, 1.0);
    AppendLine(*ds, "B", 2, 2.0);
    const TBookmark b = ds->GetBookmark();
    ds->First();
    ds->Insert();
    ds->FieldByName("Id").SetAsString("Z");
    ds->Post();
    ds->GotoBookmark(b);
    EXPECT_EQ(ds->FieldByName("Id").AsString(), "B");
    EXPECT_EQ(ds->RecNo(), 3);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(b));
}

TEST(TClientDataSetTest, FiltersLimitNavigationButNotAggregates) {
    auto ds = Lines();
    AddRecord(*ds, {{"Id", "A"}, {"MasterLine_Id", "M1"}, {"TotalValue", 1.0}});
    AddRecord(*ds, {{"Id", "B"}, {"MasterLine_Id", "M2"}, {"TotalValue", 2.0}});
    AddRecord(*ds, {{"Id", "C"}, {"MasterLine_Id", "M1"}, {"TotalValue", 4.0}});
    ds->SetFilter("MasterLine_Id='M1'");
    ds->SetFiltered(true);
    EXPECT_EQ(ds->RecordCount(), 2);
    std::string seen;
    for (ds->First(); !ds->Eof(); ds->Next()) seen += ds->FieldByName("Id").AsString();
    EXPECT_EQ(seen, "AC");
    EXPECT_FALSE(ds->Locate("Id", {"B"})) << "a filtered-out record cannot be located";
    EXPECT_EQ(ds->AggregateValue("Agg_TotalValue").AsFloat(), 7.0);

    ds->SetFilterPredicate([](TClientDataSet& d) { return d.FieldByName("TotalValue").AsFloat() > 1.5; });
    EXPECT_EQ(ds->RecordCount(), 1);
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 3);
}

TEST(TClientDataSetTest, EditOnEmptyDataSetInserts) {
    auto ds = Lines();
    ds->Edit();
    EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
}

class CountingObserver : public IDataSetObserver {
public:
    void DataSetChanged() override { ++resets; }
    void RecordChanged(int) override { ++changes; }
    void RecordInserted(int) override { ++inserts; }
    void RecordDeleted(int) override { ++deletes; }
    int resets = 0, changes = 0, inserts = 0, deletes = 0;
};

TEST(TClientDataSetTest, DisabledControlsHearOneResetInsteadOfEveryChange) {
    auto ds = Lines();
    CountingObserver observer;
    ds->AddObserver(&observer);
    AppendLine(*ds, "A", 1, 1.0);
    EXPECT_EQ(observer.inserts, 1);
    ds->DisableControls();
    for (int i = 0; i < 5; ++i) AppendLine(*ds, "X", i, 1.0);
    ds->EnableControls();
    EXPECT_EQ(observer.inserts, 1);
    EXPECT_EQ(observer.resets, 1);
    ds->RemoveObserver(&observer);
}

}  // namespace
}  // namespace tavrek

namespace tavrek {
namespace {

// A server of n numbered rows that hands them out in packets from a position the caller
// keeps (as a real fetcher does), counting its calls.
struct TPagedSource {
    int Rows;
    int Calls = 0;

    int Fetch(TClientDataSet& ds, int from) {
        ++Calls;
        const int count = std::max(0, std::min(ds.PacketRecords, Rows - from));
        for (int i = from; i < from + count; ++i) ds.AppendLoaded({Variant("R" + std::to_string(i)), Variant(int64_t{i})});
        return count;
    }
};

std::unique_ptr<TClientDataSet> Paged(TPagedSource& source, int packet) {
    auto ds = testing::MakeDataSet("cdsMaster", {{"Id", TFieldType::ftString}, {"Line_No", TFieldType::ftInteger}});
    ds->PacketRecords = packet;
    const int first = source.Fetch(*ds, 0);
    ds->First();
    ds->SetPacketFetcher([&source, read = first](TClientDataSet& target) mutable {
        const int fetched = source.Fetch(target, read);
        read += fetched;
        return fetched;
    });
    return ds;
}

TEST(TClientDataSetPacketsTest, ReadsOnOnlyWhereTheUserGoes) {
    const struct {
        const char* name;
        int rows, packet;
        std::function<void(TClientDataSet&)> move;
        int loaded, calls;
        bool more;
    } cases[] = {
        {"opened: one packet", 25, 10, [](TClientDataSet&) {}, 10, 1, true},
        {"next past the packet reads one more", 25, 10, [](TClientDataSet& ds) { ds.SetRecNo(10); ds.Next(); }, 20, 2, true},
        {"last reads the rest", 25, 10, [](TClientDataSet& ds) { ds.Last(); }, 25, 3, false},
        {"a short packet ends the reading", 25, 10, [](TClientDataSet& ds) { ds.FetchAll(); ds.FetchAll(); }, 25, 3, false},
        {"rows that fill the packets exactly need one empty answer", 20, 10, [](TClientDataSet& ds) { ds.Last(); }, 20, 3,
         false},
        {"locate reads until the end", 25, 10,
         [](TClientDataSet& ds) { EXPECT_TRUE(ds.Locate("Id", {Variant("R23")})); }, 25, 3, false},
        {"closing forgets the fetcher", 25, 10, [](TClientDataSet& ds) { ds.Close(); ds.CreateDataSet(); }, 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPagedSource source{c.rows};
        auto ds = Paged(source, c.packet);
        c.move(*ds);
        EXPECT_EQ(ds->RawRecordCount(), c.loaded);
        EXPECT_EQ(source.Calls, c.calls);
        EXPECT_EQ(ds->CanFetchMore(), c.more);
    }
}

TEST(TClientDataSetPacketsTest, WalkingToTheEndSeesEveryRowOnce) {
    TPagedSource source{23};
    auto ds = Paged(source, 5);
    int seen = 0;
    for (ds->First(); !ds->Eof(); ds->Next()) EXPECT_EQ(ds->FieldByName("Line_No").AsInteger(), seen++);
    EXPECT_EQ(seen, 23);
}

}  // namespace
}  // namespace tavrek
