#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "documents/uPurchDocumentModel.h"
#include "support/DataSetBuilder.h"
#include "support/HeadlessFormHost.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

using TRow = std::map<std::string, Variant>;

// Fills a dataset the way the server does: the fields of the document kind, then the rows.
void FillDocumentDataSet(TClientDataSet& target, const TFieldList& fields, const std::vector<TRow>& rows);

// A purchase form of class TForm opened on one document that the scripted server holds:
// header and lines with the fields of the document kind, from the header and line providers
// (D_PurchHeader and D_PurchaseLine for the editors). The side panel and drop-down lookups that opening makes are answered for
// every test, and the message keys given read as themselves; opening clears the recorded
// calls, so a test sees only the calls of what it does.
template <class TForm>
class PurchEditorTest : public SessionTest {
protected:
    PurchEditorTest(TPurchDocument kind, std::initializer_list<const char*> messageKeys,
                    const std::string& headerProvider = "D_PurchHeader", const std::string& lineProvider = "D_PurchaseLine")
        : headerProvider_(headerProvider) {
        TScriptedAnswer header;
        header.Fill = [this, kind](const TFilter&, TClientDataSet& target) {
            FillDocumentDataSet(target, AsFieldList(PurchHeaderFields(kind)), {header_});
        };
        server.Script("RequestData", headerProvider, header, true);
        TScriptedAnswer lines;
        lines.Fill = [this, kind](const TFilter&, TClientDataSet& target) {
            FillDocumentDataSet(target, AsFieldList(PurchLineFields(kind)), lines_);
        };
        server.Script("RequestData", lineProvider, lines, true);
        server.OnRequestValue("N_LedgerSubjectTypes", Rows({"Id"}, {{"1"}, {"2"}}), true);
        for (const char* vendor : {"V01", "V02"})
            server.OnRequestValue("fn_GetContragentAdvancePayment('C1', '" + std::string(vendor) + "', 1)",
                                  Rows({"ContragentAdvancePayment"}, {{125.5}}), true);
        TScriptedAnswer due;
        due.Rows = Rows({"PurchDue", "OverDue"}, {{300.0, 40.0}});
        server.Script("GetContragentPurchDue", "", due, true);
        TScriptedAnswer item;
        item.Rows = Rows({"Code", "Name", "UnitPrice"}, {{"1001", "Брашно", 1.49}});
        server.Script("GetItemParams", "", item, true);
        for (const char* key : messageKeys) server.SetMessage(key, key);
    }

    // A fresh editor on the document; the previous one is dropped.
    void Open(TRow header, std::vector<TRow> lines) {
        header.emplace("Comp_Id", "C1");
        header.emplace("CurrencyFactor", 1.0);
        header.emplace("PriceIncludingVAT", 0);
        for (TRow& line : lines) {
            line.emplace("Master_Id", header["Id"]);
            line.emplace("Comp_Id", "C1");
            line.emplace("Type", 1);
            line.emplace("QtyPerUnitOfMeasure", 1.0);
            line.emplace("PriceIncludingVAT", header["PriceIncludingVAT"]);
        }
        header_ = std::move(header);
        lines_ = std::move(lines);
        form_ = std::make_unique<TForm>();
        form_->FormNumber = formNumber_;
        TFormRequest request;
        request.Filter.Add(headerProvider_ + ".Id", "=", header_["Id"]);
        form_->Create(request);
        form_->Show();
        server.ClearCalls();
    }

    TForm& Form() { return *form_; }
    TClientDataSet& Header() { return form_->cdsMaster; }
    TClientDataSet& Lines() { return form_->cdsDetail; }
    void GotoLine(int lineNo) { ASSERT_TRUE(Lines().Locate("Line_No", {lineNo})); }
    std::vector<std::string> Methods() const { return server.Methods(); }
    // The keys (sources, procedures, ids) of the calls to a method, in call order.
    std::vector<std::string> Keys(const std::string& method) const {
        std::vector<std::string> keys;
        for (const TServerCall& call : server.CallsTo(method)) keys.push_back(call.Key);
        return keys;
    }
    // The form number the next opened form carries (the registry sets it in the client).
    void SetFormNumber(int number) { formNumber_ = number; }
    // Drops the editor while the session still stands.
    void Drop() { form_.reset(); }

    HeadlessFormHost host;

private:
    std::string headerProvider_;
    int formNumber_ = 0;
    TRow header_;
    std::vector<TRow> lines_;
    std::unique_ptr<TForm> form_;
};

}  // namespace tavrek::testing
