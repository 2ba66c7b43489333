#pragma once

#include "documents/uEdPurchase.h"
#include "support/PurchEditorTest.h"

namespace tavrek::testing {

// An invoice editor opened on one invoice of the scripted server (DocumentType 1), with the
// message keys of the invoice reading as themselves.
class EditorTest : public PurchEditorTest<TfEdPurchase> {
protected:
    EditorTest();
    void Open(TRow header, std::vector<TRow> lines) {
        header.emplace("DocumentType", 1);
        PurchEditorTest::Open(std::move(header), std::move(lines));
    }
};

}  // namespace tavrek::testing
