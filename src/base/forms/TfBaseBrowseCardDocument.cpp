#include "base/forms/TfBaseBrowseCardDocument.h"

#include <tuple>

#include "base/forms/RequestForm.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

// Whether an OR joins conditions outside every group: such a part needs parentheses to be ANDed.
bool HasTopLevelOr(const std::vector<TFilterCondition>& conditions) {
    int depth = 0;
    for (size_t i = 0; i + 1 < conditions.size(); ++i) {
        depth += conditions[i].Open - conditions[i].Close;
        if (depth == 0 && conditions[i].Connector == TFilterConnector::fcOr) return true;
    }
    return false;
}

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
        THeaderField& filter = Description.AddField(field, caption, kind);
        filter.DataSet = cdsFilter.Name;
        filter.TakesTextAsTyped = kind == TFieldKind::fkText;
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

// A part with an OR in it is kept whole in parentheses; a part's missing inner connectors
// become AND.
TFilter TfBaseBrowseCardDocument::AndJoined(const TFilter& first, const TFilter& second) {
    std::vector<TFilterCondition> all;
    for (const TFilter* part : {&first, &second}) {
        std::vector<TFilterCondition> conditions = part->Conditions();
        if (conditions.empty()) continue;
        if (HasTopLevelOr(conditions)) {
            ++conditions.front().Open;
            ++conditions.back().Close;
        }
        for (TFilterCondition& condition : conditions) {
            if (condition.Connector == TFilterConnector::fcNone) condition.Connector = TFilterConnector::fcAnd;
            all.push_back(std::move(condition));
        }
    }
    if (!all.empty()) all.back().Connector = TFilterConnector::fcNone;
    TFilter joined;
    for (TFilterCondition& condition : all) joined.Add(std::move(condition));
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
    const int formNumber = newDocument ? CardFormNumber : CurrentCardFormNumber();
    if (formNumber == 0) AbortWithError("err_NoCardForm", "Списъкът няма форма за документа.");
    TFormRequest request;
    request.FormNumber = formNumber;
    if (newDocument) {
        request.ShowOptions.insert(soInsert);
    } else {
        request.Filter.Add(CardKeyField, "=", cdsMaster.FieldByName("Id").Value());
    }
    request.CallingForm = this;
    request.ParentForm = this;
    RequestForm(request);
}

int TfBaseBrowseCardDocument::CurrentCardFormNumber() { return CardFormNumber; }

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
