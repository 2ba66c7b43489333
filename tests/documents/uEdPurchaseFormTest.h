#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "documents/uEdPurchase.h"
#include "support/DataSetBuilder.h"
#include "support/HeadlessFormHost.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

using TRow = std::map<std::string, Variant>;

// An invoice editor opened on one document that the scripted server holds: header and
// lines with the fields of the document model. The side panel and the drop-down lookups
// that opening makes are answered for every test, and message keys read as themselves;
// opening clears the recorded calls, so a test sees only the calls of what it does.
class EditorTest : public SessionTest {
protected:
    EditorTest();

    // A fresh editor on the document; the previous one is dropped.
    void Open(TRow header, std::vector<TRow> lines);
    TfEdPurchase& Form() { return *form_; }
    TClientDataSet& Header() { return form_->cdsMaster; }
    TClientDataSet& Lines() { return form_->cdsDetail; }
    void GotoLine(int lineNo);
    std::vector<std::string> Methods() const { return server.Methods(); }
    // The keys (sources, procedures, ids) of the calls to a method, in call order.
    std::vector<std::string> Keys(const std::string& method) const;

    HeadlessFormHost host;

private:
    TRow header_;
    std::vector<TRow> lines_;
    std::unique_ptr<TfEdPurchase> form_;
};

}  // namespace tavrek::testing
