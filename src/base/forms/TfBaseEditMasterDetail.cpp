#include "base/forms/TfBaseEditMasterDetail.h"

#include "base/forms/EAbort.h"
#include "base/forms/TImportFilter.h"
#include "base/forms/TWaitCursor.h"
#include "base/ui/Messages.h"

namespace tavrek {

TfBaseEditMasterDetail::TfBaseEditMasterDetail() : acImport(AcListBase.Add("acImport", "Импорт от файл", "Редове")) {
    acImport.Visible = false;
    BindAction(acImport, "acImportExecute", [this] { acImportExecute(); });
    acImport.OnUpdate = [this](TAction& a) { a.Enabled = !ReadOnly && cdsDetail.Active(); };
    AddDataSet({&cdsDetail, "", &cdsMaster, DetailLinkField, "Id", true});
    AddGrid(dbgDetail);
    cdsDetail.AfterInsert = [this](TClientDataSet&) { cdsDetailAfterInsert(); };
    cdsDetail.AfterPost = [this](TClientDataSet&) { cdsDetailAfterPost(); };
    cdsDetail.BeforeDelete = [this](TClientDataSet&) { cdsDetailBeforeDelete(); };
    cdsDetail.AfterScroll = [this](TClientDataSet&) { cdsDetailAfterScroll(); };
    // The cells a buyer fills; the others are filled for him by the item and the line rules.
    dbgDetail.EntryFields = {"Code", "Quantity", "DirectUnitCost_ACY", "LineDiscount", "VATBaseAmount", "VATValue"};
    Totals.OnChanged = [this] { KeepHeaderVAT(); };
}

// The header shows the VAT the document will be saved with before it is saved.
void TfBaseEditMasterDetail::KeepHeaderVAT() {
    if (cdsMaster.State() != TDataSetState::dsEdit && cdsMaster.State() != TDataSetState::dsInsert) return;
    TField* vat = cdsMaster.FindField("VATValue");
    if (vat == nullptr || !Totals.Available()) return;
    const TDocumentTotals::TFigures figures = Totals.StoredFigures();
    if (vat->IsNull() || vat->AsFloat() != figures.VAT) vat->SetAsFloat(figures.VAT);
    TField* vatLCY = cdsMaster.FindField("VATValue_LCY");
    if (vatLCY != nullptr && (vatLCY->IsNull() || vatLCY->AsFloat() != figures.VATLCY)) vatLCY->SetAsFloat(figures.VATLCY);
}

void TfBaseEditMasterDetail::SyncDataSetSettings() {
    TfBaseEditMaster::SyncDataSetSettings();
    TFormDataSet* detail = FindFormDataSet(cdsDetail);
    detail->Provider = DetailProvider;
    detail->LinkField = DetailLinkField;
}

void TfBaseEditMasterDetail::DataSetOpened(TFormDataSet& dataSet) {
    TfBaseEditMaster::DataSetOpened(dataSet);
    if (dataSet.DataSet == &cdsDetail) cdsDetailAfterOpen();
}

void TfBaseEditMasterDetail::cdsDetailAfterInsert() { FillNewRecordKeys(*FindFormDataSet(cdsDetail)); }

void TfBaseEditMasterDetail::cdsDetailAfterPost() {}

void TfBaseEditMasterDetail::cdsDetailBeforeDelete() {}

void TfBaseEditMasterDetail::cdsDetailAfterOpen() {}

void TfBaseEditMasterDetail::cdsDetailAfterScroll() {}

void TfBaseEditMasterDetail::ApplyDefaultValues(const TDefaultValues& values) {
    for (const TDefaultValue& value : values) {
        if (!value.IsLine) {
            SetDefaultValue(cdsMaster, value);
            continue;
        }
        if (!value.ContinuesLine || cdsDetail.State() == TDataSetState::dsBrowse) {
            cdsDetail.Append();
            if (BringsLinesByCode() && BringsLineMaster(value)) continue;
        }
        SetDefaultValue(cdsDetail, value);
    }
    cdsDetail.CheckBrowseMode();
}

bool TfBaseEditMasterDetail::BringsLineMaster(const TDefaultValue& value) {
    TField* field = cdsDetail.FindField(value.FieldName);
    return field != nullptr && !value.Value.IsEmpty() && LookupOf(cdsDetail, value.FieldName) != nullptr &&
           EnterFieldValue(cdsDetail, *field, value.Value);
}

int TfBaseEditMasterDetail::ImportLinesFromFile() {
    TImportFilter filter;
    std::string path;
    if (!SelectImportFilter(filter) || !SelectDataFile(path)) return -1;
    ImportInitLog(GetMessageText("inf_ImportSkippedRows", "Редове, които не бяха импортирани:"));
    int taken = 0;
    {
        TWaitCursor wait;
        cdsDetail.DisableControls();
        try {
            taken = RequestImport(filter, path, cdsDetail);
        } catch (...) {
            cdsDetail.EnableControls();
            ImportCloseLog();
            throw;
        }
        cdsDetail.EnableControls();
    }
    std::string report;
    for (const std::string& line : ImportCloseLog()) report += line + "\r\n";
    if (!report.empty()) MessageDlgEx(report, TMsgDlgType::mtWarning, mbOK);
    UpdateFooters();
    return taken;
}

void TfBaseEditMasterDetail::acImportExecute() {
    RequireRight(TFormRight::frEdit);
    if (ImportLinesFromFile() < 0 || !SaveData()) throw EAbort();
}

void TfBaseEditMasterDetail::ProcessSelectedRecords(const TRequestResult& rows) {
    for (const TVariantArray& row : rows.Rows) {
        cdsDetail.Append();
        for (size_t column = 0; column < rows.Columns.size() && column < row.size(); ++column)
            if (TField* field = cdsDetail.FindField(rows.Columns[column])) field->SetValue(row[column]);
        cdsDetail.Post();
    }
}

}  // namespace tavrek
