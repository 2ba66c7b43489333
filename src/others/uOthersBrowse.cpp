#include "others/uOthersBrowse.h"

#include "base/forms/EAbort.h"
#include "base/forms/RequestForm.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "others/uOthersPackage.h"

namespace tavrek {
namespace uOthersBrowse {
namespace {

// The conditions of filter as one group, the last followed by connector.
void AddGroup(const TFilter& filter, TFilterConnector connector, TFilter& to) {
    std::vector<TFilterCondition> conditions = filter.Conditions();
    ++conditions.front().Open;
    ++conditions.back().Close;
    conditions.back().Connector = connector;
    for (TFilterCondition& condition : conditions) to.Add(std::move(condition));
}

}  // namespace

TFilter AndJoined(const TFilter& first, const TFilter& second) {
    if (first.Empty()) return second;
    if (second.Empty()) return first;
    TFilter joined;
    AddGroup(first, TFilterConnector::fcAnd, joined);
    AddGroup(second, TFilterConnector::fcNone, joined);
    return joined;
}

TFilter SourceFilter(const TBrowseDescription& description, const TFilter& filter) {
    TFilter qualified;
    const auto requalify = [&](const TFilter& from) {
        TFilter to;
        for (TFilterCondition condition : from.Conditions()) {
            if (!condition.IsLiteral())
                condition.Field = std::string(description.Source) + "." + std::string(condition.FieldName());
            to.Add(std::move(condition));
        }
        return to;
    };
    const std::string fixed = description.FixedFilter;
    return AndJoined(requalify(filter), fixed.empty() ? TFilter() : requalify(TFilter::Parse(fixed)));
}

TFilter KeysFromCodes(const TFilter& filter, const std::vector<TCodeKey>& codeKeys) {
    TFilter keyed;
    for (TFilterCondition condition : filter.Conditions()) {
        for (const TCodeKey& key : codeKeys) {
            if (condition.Op != TFilterOp::opEqual || !EqualsIgnoreCase(condition.FieldName(), key.Field) ||
                condition.Value.IsEmpty())
                continue;
            const std::string master = key.MasterTable;
            TRequestResult found;
            const TFilter byCode = TFilter()
                                       .Add(master + ".Code", "=", condition.Value, "AND")
                                       .Add(master + ".Comp_Id", "=", LocalData().CompanyId);
            if (dm().Server().RequestValue(0, master, "Id", byCode, found) == 1) condition.Value = found.Value();
        }
        keyed.Add(std::move(condition));
    }
    return keyed;
}

void LoadRows(const TBrowseDescription& description, const TFilter& filter, TClientDataSet& rows) {
    const TFilter keyed = KeysFromCodes(filter, description.CodeKeys);
    dm().Server().RequestData(description.Source, SourceFilter(description, keyed), rows);
    for (int i = 0; i < rows.FieldCount(); ++i) {
        TField& field = rows.Fields(i);
        field.Visible = false;
        for (const TBrowseColumn& column : description.Columns)
            if (EqualsIgnoreCase(column.Field, field.FieldName())) {
                field.Visible = true;
                field.DisplayLabel = column.Caption;
            }
    }
}

}  // namespace uOthersBrowse

TfOthersBrowse::TfOthersBrowse(const TBrowseDescription& description)
    : acEditRecord(AcListBase.Add("acEditRecord", "Отваряне", "Документ")),
      acSelectRecord(AcListBase.Add("acSelectRecord", "Избор", "Документ")),
      acRemoveSources(AcListBase.Add("acRemoveSources", "Премахване от документа", "Документ")),
      description_(description) {
    MasterProvider = description.Source;
    MasterTable = description.Source;
    acEditRecord.ShortCut = "Enter";
    acEditRecord.Visible = description.CardFormNumber != 0;
    acSelectRecord.Visible = false;
    acRemoveSources.Visible = false;
    for (TAction* action : {&acSave, &acInsertRecord, &acDeleteRecord, &acPrint}) action->Visible = false;
    dbgMaster.OnDblClick = [this] {
        (acRemoveSources.Visible ? acRemoveSources : acSelectRecord.Visible ? acSelectRecord : acEditRecord).Execute();
    };
    cdsFilter.AddField("SearchText", TFieldType::ftString);
    cdsFilter.CreateDataSet();
    cdsFilter.Append();
    cdsFilter.Post();
    AddDataSet({&cdsFilter, "", nullptr, "", "Id", false});
    if (!description.SearchFields.empty()) {
        THeaderField& search = Description.AddField("SearchText", "Търсене", TFieldKind::fkText);
        search.DataSet = cdsFilter.Name;
        search.TakesTextAsTyped = true;
        cdsFilter.FieldByName("SearchText").OnChange = [this](TField&) {
            RunGuarded(OperationName("ApplySearch"), [this] { ReloadData(); });
        };
    }
    BindAction(acEditRecord, "acEditRecordExecute", [this] { acEditRecordExecute(); });
    BindAction(acSelectRecord, "acSelectRecordExecute", [this] { acSelectRecordExecute(); });
    BindAction(acRemoveSources, "acRemoveSourcesExecute", [this] { acRemoveSourcesExecute(); });
    const auto hasRow = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
    acEditRecord.OnUpdate = hasRow;
    acSelectRecord.OnUpdate = hasRow;
    acRemoveSources.OnUpdate = hasRow;
}

void TfOthersBrowse::FormCreate() {
    TfBase::FormCreate();
    acRemoveSources.Visible = RemovalMode() && description_.SourceOf != nullptr;
    acSelectRecord.Visible = ShowOptions.count(soModal) > 0 && !acRemoveSources.Visible;
    for (const TBrowseColumn& column : description_.Columns) {
        TGridColumn& added = dbgMaster.AddColumn(column.Field, column.Caption, column.Width);
        added.DisplayFormat = column.Format;
        if (column.Total) added.FooterAggregate = std::string("Agg_") + column.Field;
    }
}

bool TfOthersBrowse::CheckDataModification() {
    TfBase::CheckDataModification();
    ReadOnly = true;
    dbgMaster.ReadOnly = true;
    return false;
}

TFilter TfOthersBrowse::DefaultsFilter() const {
    std::vector<TFilterCondition> conditions;
    for (const TDefaultCondition& condition : description_.DefaultConditions)
        for (const TDefaultValue& value : DefaultValues)
            if (EqualsIgnoreCase(value.FieldName, condition.Name))
                conditions.push_back({condition.Field, TFilter::ParseOp(condition.Op), value.Value});
    return TFilter::Chained(std::move(conditions), TFilterConnector::fcAnd);
}

TFilter TfOthersBrowse::SearchFilter() {
    const std::string text = Trim(cdsFilter.FieldByName("SearchText").AsString());
    std::vector<TFilterCondition> conditions;
    if (!text.empty())
        for (const char* field : description_.SearchFields)
            conditions.push_back({field, TFilterOp::opLike, Variant("%" + text + "%")});
    return TFilter::Chained(std::move(conditions), TFilterConnector::fcOr);
}

TFilter TfOthersBrowse::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.DataSet != &cdsMaster) return TfBase::DataSetFilter(dataSet);
    using uOthersBrowse::AndJoined;
    const TFilter keyed = uOthersBrowse::KeysFromCodes(AndJoined(Filter, DefaultsFilter()), description_.CodeKeys);
    return uOthersBrowse::SourceFilter(description_, AndJoined(keyed, SearchFilter()));
}

void TfOthersBrowse::DataSetOpened(TFormDataSet& dataSet) {
    TfBase::DataSetOpened(dataSet);
    if (dataSet.DataSet != &cdsMaster) return;
    for (const TBrowseColumn& column : description_.Columns)
        if (column.Total && cdsMaster.FindAggregate(std::string("Agg_") + column.Field) == nullptr)
            cdsMaster.AddAggregate(std::string("Agg_") + column.Field, std::string("SUM(") + column.Field + ")");
}

void TfOthersBrowse::acEditRecordExecute() {
    if (description_.CardFormNumber == 0 || !cdsMaster.Active() || cdsMaster.IsEmpty()) return;
    TFormRequest request;
    request.FormNumber = description_.CardFormNumber;
    request.Filter.Add(description_.CardKeyField, "=", cdsMaster.FieldByName(description_.RowKeyField).Value());
    request.CallingForm = this;
    RequestForm(request);
}

void TfOthersBrowse::acSelectRecordExecute() {
    if (!cdsMaster.Active() || cdsMaster.IsEmpty()) return;
    ReturnValues.clear();
    for (const TBrowseColumn& column : description_.Columns)
        ReturnValues.push_back(cdsMaster.FieldByName(column.Field).Value());
    Confirm();
}

std::set<std::string> TfOthersBrowse::ChosenDocumentsLines() {
    std::set<std::string> documents;
    if (dbgMaster.SelectedRows.empty()) documents.insert(cdsMaster.FieldByName("Master_Id").AsString());
    for (TBookmark row : dbgMaster.SelectedRows)
        if (cdsMaster.BookmarkValid(row)) {
            cdsMaster.GotoBookmark(row);
            documents.insert(cdsMaster.FieldByName("Master_Id").AsString());
        }
    std::set<std::string> lines;
    for (cdsMaster.First(); !cdsMaster.Eof(); cdsMaster.Next())
        if (documents.count(cdsMaster.FieldByName("Master_Id").AsString()) != 0)
            lines.insert(cdsMaster.FieldByName("Id").AsString());
    return lines;
}

// Takes the chosen documents out of the caller's consolidated document: every line of it
// copied from one of their lines goes, in one change the server applies whole.
void TfOthersBrowse::acRemoveSourcesExecute() {
    if (!cdsMaster.Active() || cdsMaster.IsEmpty()) return;
    const std::set<std::string> sourceLines = ChosenDocumentsLines();
    const std::string table = description_.SourceOf;
    TClientDataSet lines;
    dm().Server().RequestData(table, TFilter().Add(table + ".Master_Id", "=", DefaultValueOf(DefaultValues, "Id")),
                              lines);
    for (lines.First(); !lines.Eof();) {
        if (sourceLines.count(lines.FieldByName("SrcLine_Id").AsString()) != 0)
            lines.Delete();
        else
            lines.Next();
    }
    std::string refusal;
    if (dm().Server().ApplyUpdates({{table, &lines}}, refusal) != 0) {
        MessageDlgEx(refusal, TMsgDlgType::mtError, mbOK);
        throw EAbort();
    }
    Confirm();
}

}  // namespace tavrek
