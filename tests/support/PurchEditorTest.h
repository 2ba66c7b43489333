#pragma once

#include <memory>
#include <string>
#include <vector>

#include "documents/uPurchDocumentModel.h"
#include "support/DataSetBuilder.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {

// A purchase form of class TForm opened on one document that the scripted server holds:
// header and lines with the fields of the document kind, from the header and line providers
// (D_PurchHeader and D_PurchaseLine for the editors), in local currency with prices without
// VAT unless the rows say otherwise.
template <class TForm>
class PurchEditorTest : public DocumentFormTestBase {
protected:
    PurchEditorTest(TPurchDocument kind, std::initializer_list<const char*> messageKeys,
                    const std::string& headerProvider = "D_PurchHeader", const std::string& lineProvider = "D_PurchaseLine")
        : DocumentFormTestBase(PurchHeaderFields(kind), PurchLineFields(kind), headerProvider, lineProvider),
          headerProvider_(headerProvider) {
        // These forms ask for the vendor's advance with spaces after the commas.
        for (const char* vendor : {"V01", "V02"})
            server.OnRequestValue("fn_GetContragentAdvancePayment('C1', '" + std::string(vendor) + "', 1)",
                                  Rows({"ContragentAdvancePayment"}, {{125.5}}), true);
        KeysAsTexts(messageKeys);
    }

    // A fresh editor on the document; the previous one is dropped.
    void Open(TRow header, std::vector<TRow> lines) {
        header.emplace("CurrencyFactor", 1.0);
        header.emplace("PriceIncludingVAT", 0);
        for (TRow& line : lines) {
            line.emplace("Type", 1);
            line.emplace("QtyPerUnitOfMeasure", 1.0);
            line.emplace("PriceIncludingVAT", header["PriceIncludingVAT"]);
        }
        form_ = std::make_unique<TForm>();
        form_->FormNumber = formNumber_;
        OpenForm(*form_, std::move(header), std::move(lines), headerProvider_ + ".Id");
    }

    TForm& Form() { return *form_; }
    TClientDataSet& Header() { return form_->cdsMaster; }
    TClientDataSet& Lines() { return form_->cdsDetail; }
    void GotoLine(int lineNo) { DocumentFormTestBase::GotoLine(Lines(), lineNo); }
    std::vector<std::string> Methods() const { return server.Methods(); }
    // The form number the next opened form carries (the registry sets it in the client).
    void SetFormNumber(int number) { formNumber_ = number; }
    // Drops the editor while the session still stands.
    void Drop() { form_.reset(); }

private:
    std::string headerProvider_;
    int formNumber_ = 0;
    std::unique_ptr<TForm> form_;
};

}  // namespace tavrek::testing
