#include "base/forms/TfBaseBrowseCardDocument.h"

#include <tuple>

#include "base/forms/RequestForm.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

// The rows read at once; more follow as the grid scrolls.
constexpr int kListPacketRecords = 100;

}  // namespace

TfBaseBrowseCardDocument::TfBaseBrowseCardDocument() : acEditRecord(AcListBase.Add("acEditRecord", "Отваряне", "Документ")) {
    acEditRecord.ShortCut = "Enter";
    cdsMaster.PacketRecords = kListPacketRecords;
    dbgMaster.OnDblClick = [this] { acEditRecord.Execute(); };
    cdsFilter.AddField("SearchText", TFieldType::ftString);
    cdsFilter.AddField("DateFrom", TFieldType::ftDateTime);
    cdsFilter.AddField("DateTo", TFieldType::ftDateTime);
    cdsFilter.CreateDataSet();
    cdsFilter.Append();
    cdsFilter.Post();
    AddDataSet({&cdsFilter, "", nullptr, "", "Id", false});
    for (const auto& [field, caption, kind] : {std::tuple{"SearchText", "Търсене", TFieldKind::fkText},
                                               std::tuple{"DateFrom", "От дата", TFieldKind::fkDate},
                                               std::tuple{"DateTo", "До дата", TFieldKind::fkDate}}) {
        Description.AddField(field, caption, kind).DataSet = cdsFilter.Name;
        cdsFilter.FieldByName(field).OnChange = [this](TField&) {
            RunGuarded(OperationName("ApplyListFilter"), [this] { ReloadData(); });
        };
    }
    acSave.Visible = false;
    for (TAction* action : {&acPostDocument, &acPostAndPrintDocument}) action->Visible = true;
    dbgMaster.MultiSelect = true;
    BindAction(acEditRecord, "acEditRecordExecute", [this] { acEditRecordExecute(); });
    acEditRecord.OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
}

TFilter TfBaseBrowseCardDocument::AndJoined(const TFilter& first, const TFilter& second) {
    std::vector<TFilterCondition> conditions = first.Conditions();
    conditions.insert(conditions.end(), second.Conditions().begin(), second.Conditions().end());
    TFilter joined;
    for (size_t i = 0; i < conditions.size(); ++i) {
        conditions[i].Connector = i + 1 < conditions.size() ? TFilterConnector::fcAnd : TFilterConnector::fcNone;
        joined.Add(std::move(conditions[i]));
    }
    return joined;
}

// The list's filter and the date range, repeated in one OR branch per search field (AND
// binds tighter than OR).
TFilter TfBaseBrowseCardDocument::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.DataSet != &cdsMaster) return TfBase::DataSetFilter(dataSet);
    TFilter dates;
    const Variant from = cdsFilter.FieldByName("DateFrom").Value(), to = cdsFilter.FieldByName("DateTo").Value();
    if (!DateField.empty() && !from.IsNull()) dates.Add(DateField, ">=", from, "AND");
    if (!DateField.empty() && !to.IsNull()) dates.Add(DateField, "<=", to, "AND");
    const TFilter base = AndJoined(Filter, dates);
    const std::string text = Trim(cdsFilter.FieldByName("SearchText").AsString());
    if (text.empty() || SearchFields.empty()) return base;
    TFilter searched;
    for (size_t i = 0; i < SearchFields.size(); ++i) {
        const TFilter branch = AndJoined(base, TFilter().Add(SearchFields[i], "LIKE", Variant("%" + text + "%")));
        for (TFilterCondition condition : branch.Conditions()) {
            if (condition.Connector == TFilterConnector::fcNone && i + 1 < SearchFields.size())
                condition.Connector = TFilterConnector::fcOr;
            searched.Add(std::move(condition));
        }
    }
    return searched;
}

bool TfBaseBrowseCardDocument::CheckDataModification() {
    const bool editable = TfBase::CheckDataModification();
    dbgMaster.ReadOnly = true;
    return editable;
}

void TfBaseBrowseCardDocument::OpenCard(bool newDocument) {
    if (CardFormNumber == 0) AbortWithError("err_NoCardForm", "Списъкът няма форма за документа.");
    TFormRequest request;
    request.FormNumber = CardFormNumber;
    if (newDocument) {
        request.ShowOptions.insert(soInsert);
    } else {
        request.Filter.Add(CardKeyField, "=", cdsMaster.FieldByName("Id").Value());
    }
    request.CallingForm = this;
    request.ParentForm = this;
    RequestForm(request);
}

void TfBaseBrowseCardDocument::acEditRecordExecute() {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty()) OpenCard(false);
}

void TfBaseBrowseCardDocument::acInsertRecordExecute() {
    RequireRight(TFormRight::frInsert);
    OpenCard(true);
}

void TfBaseBrowseCardDocument::acDeleteRecordExecute() {
    RequireRight(TFormRight::frDelete);
    if (!cdsMaster.Active() || cdsMaster.IsEmpty() || !ConfirmDeletion()) return;
    std::vector<TBookmark> rows = dbgMaster.SelectedRows;
    if (rows.empty()) rows.push_back(cdsMaster.GetBookmark());
    try {
        for (TBookmark row : rows) {
            if (!cdsMaster.BookmarkValid(row)) continue;
            cdsMaster.GotoBookmark(row);
            MoveToAnnulDocs();
            cdsMaster.Delete();
        }
        ApplyChanges();
    } catch (...) {
        cdsMaster.CancelUpdates();
        throw;
    }
    dbgMaster.SelectedRows.clear();
    UpdateFooters();
}

}  // namespace tavrek
