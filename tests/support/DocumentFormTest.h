#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/data/TDataStore.h"
#include "documents/uPurchDocumentModel.h"
#include "support/DataSetBuilder.h"
#include "support/HeadlessFormHost.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

using TRow = std::map<std::string, Variant>;

// Fills a dataset the way the server does: the given fields (unless it has its own), then the rows.
void FillDocumentDataSet(TClientDataSet& target, const std::vector<TFieldDef>& fields, const std::vector<TRow>& rows);
// Expects each field of the current record to hold its value: numbers to 1e-9, the rest as text.
void ExpectFields(TClientDataSet& dataSet, const TRow& expected);

// A document form opened on one document that the scripted server holds: the header and
// the lines come from the two providers with the given fields (those of a purchase document
// kind by default). The lookups every purchase editor makes when it opens are answered for
// every test, and the listed message keys read as themselves. Opening fills in a neutral
// currency and price basis and clears the recorded calls, so a test sees only its own.
class DocumentFormTestBase : public SessionTest {
protected:
    DocumentFormTestBase(std::vector<TFieldDef> headerFields, std::vector<TFieldDef> lineFields,
                         const std::string& headerProvider, const std::string& lineProvider);
    DocumentFormTestBase(TPurchDocument kind, std::initializer_list<const char*> messageKeys,
                         const std::string& headerProvider = "D_PurchHeader",
                         const std::string& lineProvider = "D_PurchaseLine");

    // Message keys whose text is the key itself.
    void KeysAsTexts(std::initializer_list<const char*> keys);
    // The keys (sources, procedures, ids) of the calls to a method, in call order.
    std::vector<std::string> Keys(const std::string& method) const;
    std::vector<std::string> Methods() const { return server.Methods(); }
    // Creates and shows the form on the document.
    void OpenForm(TfBase& form, TRow header, std::vector<TRow> lines);
    void GotoLine(TClientDataSet& lines, int lineNo);
    // Saving is taken by the server, which then holds what the form sent: the data read back
    // after a save are the form's own.
    void AcceptSaves(const std::string& headerId);
    // The form number the next opened form carries (the registry sets it in the client).
    void SetFormNumber(int number) { formNumber_ = number; }

    HeadlessFormHost host;
    // The default values the next opening passes to the form (as its options).
    TDefaultValues openDefaults_;
    TRow header_;
    std::vector<TRow> lines_;
    TfBase* form_ = nullptr;

private:
    std::string headerProvider_;
    int formNumber_ = 0;
};

template <class TForm>
class DocumentFormTest : public DocumentFormTestBase {
protected:
    using DocumentFormTestBase::DocumentFormTestBase;

    // A fresh form on the document; the previous one is dropped.
    TForm& Open(TRow header, std::vector<TRow> lines) {
        form_ = std::make_unique<TForm>();
        OpenForm(*form_, std::move(header), std::move(lines));
        return *form_;
    }
    TForm& Form() { return *form_; }
    TClientDataSet& Header() { return form_->cdsMaster; }
    TClientDataSet& Lines() { return *form_->FindDataSet("cdsDetail"); }
    void GotoLine(int lineNo) { DocumentFormTestBase::GotoLine(Lines(), lineNo); }

private:
    std::unique_ptr<TForm> form_;
};

}  // namespace tavrek::testing
