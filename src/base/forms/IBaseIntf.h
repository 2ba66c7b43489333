#pragma once

#include <string>

#include "base/data/Variant.h"
#include "base/forms/TFormRequest.h"

namespace tavrek {

class TfBase;

// The interface of the document forms through which another form drives them: the
// replenishment worksheets create orders through it, the posted views hand a new document
// its source through it.
class IBaseIntf {
public:
    virtual ~IBaseIntf() = default;

    // Fills a new document from the source document by a copy-document template.
    virtual void CopyDocumentByTemplate(const std::string& sourceId, const std::string& templateId,
                                        int sourceFormNumber, int option1, int option2, int option3) = 0;
    // Starts a new document and sets the header and line fields of the default values.
    virtual void InsertDocumentFromDefaults(const TDefaultValues& values) = 0;
    virtual void SaveDocument() = 0;
    virtual bool IsSaveSuccessful() const = 0;
    virtual std::string GetMasterFieldAsString(const std::string& fieldName) = 0;
    virtual Variant GetMasterFieldValue(const std::string& fieldName) = 0;
    // Drops the unsaved changes of the document.
    virtual void CancelDocument() = 0;
    virtual TfBase* GetCallingForm() const = 0;
    virtual void SetCallingForm(TfBase* form) = 0;
    virtual void ActivateDocumentForm() = 0;
    virtual void RefreshDocument() = 0;
    virtual TfBase& Form() = 0;
};

}  // namespace tavrek
