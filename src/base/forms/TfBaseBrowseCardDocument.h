#pragma once

#include <string>

#include "base/forms/TfBase.h"

namespace tavrek {

// A list of documents with a card: the editor of the current document (CardFormNumber)
// opens on it, new documents open in an empty card, and documents are posted, printed and
// deleted from the list.
class TfBaseBrowseCardDocument : public TfBase {
public:
    TfBaseBrowseCardDocument();
    std::string ClassName() const override { return "TfBaseBrowseCardDocument"; }

    int CardFormNumber = 0;
    // Qualified key field of the card's filter, such as "D_PurchHeader.Id".
    std::string CardKeyField = "Id";

    TAction& acEditRecord;

    bool CheckDataModification() override;
    void acInsertRecordExecute() override;
    void acDeleteRecordExecute() override;
    virtual void acEditRecordExecute();

protected:
    // Opens the card with the given options, on the current document unless inserting.
    void OpenCard(bool newDocument);
};

}  // namespace tavrek
