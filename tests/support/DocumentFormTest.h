#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/data/TDataStore.h"
#include "support/DataSetBuilder.h"
#include "support/HeadlessFormHost.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

using TRow = std::map<std::string, Variant>;

// Fills a dataset the way the server does: the given fields unless the dataset has its own,
// then the rows, each field from the row's value of its name.
void FillDocumentDataSet(TClientDataSet& target, const TFieldList& fields, const std::vector<TRow>& rows);

// A document form opened on one document that the scripted server holds: the header and
// the lines come from the two providers with the given fields. The lookups every purchase
// editor makes when it opens are answered for every test, and the listed message keys read
// as themselves. Opening clears the recorded calls.
class DocumentFormTestBase : public SessionTest {
protected:
    DocumentFormTestBase(std::vector<TFieldDef> headerFields, std::vector<TFieldDef> lineFields,
                         const std::string& headerProvider, const std::string& lineProvider);

    // Message keys whose text is the key itself.
    void KeysAsTexts(std::initializer_list<const char*> keys);
    // The keys (sources, procedures, ids) of the calls to a method, in call order.
    std::vector<std::string> Keys(const std::string& method) const;
    // Creates and shows the form on the document, asked for by idField ("<master table>.Id" when empty).
    void OpenForm(TfBase& form, TRow header, std::vector<TRow> lines, const std::string& idField = "");
    void GotoLine(TClientDataSet& lines, int lineNo);
    // Saving is taken by the server, which then holds what the form sent: the data read back
    // after a save are the form's own.
    void AcceptSaves(const std::string& headerId);

    HeadlessFormHost host;
    // The default values the next opening passes to the form (as its options).
    TDefaultValues openDefaults_;
    TRow header_;
    std::vector<TRow> lines_;
    TfBase* form_ = nullptr;
};

template <class TForm>
class DocumentFormTest : public DocumentFormTestBase {
protected:
    using DocumentFormTestBase::DocumentFormTestBase;

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
