#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/forms/TfBaseEditMasterDetail.h"
#include "lists/uOrdImportFile.h"

namespace tavrek {

// An import document of a vendor's delivery: the lines come from the vendor's file, the
// server attaches them to the vendor's open order lines, the buyer distributes what remains
// to order lines of sale orders or to business groups, and the distribution becomes order
// buffers. The distribution of the current line, its candidates and the business groups are
// shown beside the lines and read again whenever the current line changes.
class TfEdPurchOrdImport : public TfBaseEditMasterDetail {
public:
    TfEdPurchOrdImport();
    std::string ClassName() const override { return "TfEdPurchOrdImport"; }

    TClientDataSet cdsDetailRelation{"cdsDetailRelation"};
    TClientDataSet cdsEntry{"cdsEntry"};
    TClientDataSet cdsBusinessGroup{"cdsBusinessGroup"};
    TGrid dbgDetailRelation{"dbgDetailRelation", "cdsDetailRelation"};
    TGrid dbgEntry{"dbgEntry", "cdsEntry"};
    TGrid dbgBusinessGroups{"dbgBusinessGroups", "cdsBusinessGroup"};

    TAction& acImportFromFile;
    TAction& acMoveToTarget;
    TAction& acMoveBGToTarget;
    TAction& RemoveFromRelation;
    TAction& acGenPurchOrderBuf;
    TAction& acLoadLineDetail;

    void acSaveExecute() override;
    void acRefreshExecute() override;
    void acImportExecute() override;
    void cdsDetailAfterOpen() override;
    void cdsDetailAfterScroll() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;

    // Saves pending changes; false, after "err_DataSaveError", when the save failed.
    bool CheckIsSave();
    void acMoveToTargetExecute();
    void acMoveBGToTargetExecute();
    void RemoveFromRelationExecute();
    void acGenPurchOrderBufExecute();
    // Reads the distribution, the candidates and the business groups of the current line.
    void acLoadLineDetailExecute();

    // The filters a person chooses among, in the order offered.
    static const std::vector<std::string>& FileFilters();

    static constexpr int kFormNumber = 10560;
    static constexpr int kSubTypeSelector = 10770;

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    void ReadBackSavedData() override;

private:
    void DescribeLayout();
    void KeepingCurrentLine(const std::function<void()>& reload);
    // The chosen file read by its filter, its items found; nothing is appended when one fails.
    bool ReadVendorFile(TOrdImportFile& file, std::vector<TRequestResult>& items);
    void AppendFileLines(const TOrdImportFile& file, const std::vector<TRequestResult>& items);
    void WriteFileLine(const TOrdImportFileLine& line, const TRequestResult& item, int lineNo);
    void AttachToOrders();
    // "exec " + the procedure's name + the quoted arguments; the rows under fields.
    TRequestResult CallProcedure(const char* procedure, const TVariantArray& args, const char* fields, bool allRows);
    // Calls a distribution procedure; shows its refusal, refreshes after its success.
    void Distribute(const char* procedure, const TVariantArray& args);
    bool AskQuantity(const std::string& caption, double& quantity);
    std::string CurrentLineId();
    bool importing_ = false;
    bool detailOpening_ = false;
    std::vector<TLookupDefinition> lookups_;
};

namespace uEdPurchOrdImport {
void Initialization();
void Finalization();
}  // namespace uEdPurchOrdImport

}  // namespace tavrek
