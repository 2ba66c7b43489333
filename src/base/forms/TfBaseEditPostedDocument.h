#pragma once

#include <string>

#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

// A read-only view of a posted document: header and lines, print and annul; nothing is
// saved from it.
class TfBaseEditPostedDocument : public TfBaseEditMasterDetail {
public:
    TfBaseEditPostedDocument();
    std::string ClassName() const override { return "TfBaseEditPostedDocument"; }

    bool CheckDataModification() override;

private:
    void NeedDocumentForOperations();
};

}  // namespace tavrek
