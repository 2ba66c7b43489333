#pragma once

#include <string>

#include "base/forms/TfBase.h"
#include "reports/uVATLedgerReport.h"

namespace tavrek {

// The VAT purchase ledger of a tax period ("Дневник за покупките"): one row per posted document
// that enters it, the totals of its columns, the documents that cannot enter as they stand with
// the reason of each, and the purchase cells of the declaration. It writes POKUPKI.TXT and
// DEKLAR.TXT for the revenue agency and prints as the accountant files it.
class TfVATPurchaseLedger : public TfBase {
public:
    TfVATPurchaseLedger();
    std::string ClassName() const override { return "TfVATPurchaseLedger"; }

    TAction& acCompute;
    TAction& acWriteFiles;
    TClientDataSet cdsParams{"cdsParams"};
    TClientDataSet cdsProblems{"cdsProblems"};
    TClientDataSet cdsDeclaration{"cdsDeclaration"};
    TGrid dbgProblems{"dbgProblems", "cdsProblems"};
    TGrid dbgDeclaration{"dbgDeclaration", "cdsDeclaration"};

    void acPrintExecute() override;
    void acComputeExecute();
    void acWriteFilesExecute();
    const TVATLedgerReport& Report() const { return report_; }

    static constexpr int kFormNumber = 10950;

private:
    void AddParameterFields();
    void AddGrids();
    // Reads the period the parameters name; false (with the reason told) when they are wrong.
    bool ReadParameters(int& period, int& proRata);
    void ShowReport();
    void ShowRecords();
    void ShowProblems();
    void ShowDeclaration();

    TVATLedgerReport report_;
    bool computed_ = false;
};

namespace uVATPurchaseLedger {
void Initialization();
void Finalization();
}  // namespace uVATPurchaseLedger

}  // namespace tavrek
