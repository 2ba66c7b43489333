#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

TfBaseEditMasterDetail::TfBaseEditMasterDetail() {
    AddDataSet({&cdsDetail, "", &cdsMaster, DetailLinkField, "Id", true});
    AddGrid(dbgDetail);
    cdsDetail.AfterInsert = [this](TClientDataSet&) { cdsDetailAfterInsert(); };
    cdsDetail.AfterPost = [this](TClientDataSet&) { cdsDetailAfterPost(); };
    cdsDetail.BeforeDelete = [this](TClientDataSet&) { cdsDetailBeforeDelete(); };
    cdsDetail.AfterScroll = [this](TClientDataSet&) { cdsDetailAfterScroll(); };
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
        if (!value.ContinuesLine || cdsDetail.State() == TDataSetState::dsBrowse) cdsDetail.Append();
        SetDefaultValue(cdsDetail, value);
    }
    cdsDetail.CheckBrowseMode();
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
