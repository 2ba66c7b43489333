#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// "Журнал на промените": who changed, posted, annulled or deleted which document of the
// company, and when, newest first. It only shows: the server alone writes the trail. The
// user narrows it by a date range and a text found in the document, user, table or field.
class TfBrAuditTrail : public TfBaseBrowseCardDocument {
public:
    TfBrAuditTrail();
    std::string ClassName() const override { return "TfBrAuditTrail"; }
    void FormCreate() override;
};

namespace uBrAuditTrail {
void Initialization();
void Finalization();
}  // namespace uBrAuditTrail

}  // namespace tavrek
