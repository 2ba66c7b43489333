#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// A list of posted documents: the card is the posted view; nothing is inserted, posted or
// deleted from it.
class TfBaseBrowseCardPostedDocument : public TfBaseBrowseCardDocument {
public:
    TfBaseBrowseCardPostedDocument();
    std::string ClassName() const override { return "TfBaseBrowseCardPostedDocument"; }

    bool CheckDataModification() override;
};

}  // namespace tavrek
