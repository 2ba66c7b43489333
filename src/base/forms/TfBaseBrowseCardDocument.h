#pragma once

#include <string>
#include <vector>

#include "base/forms/TfBase.h"

namespace tavrek {

// A list of documents with a card: the editor of the current document (CardFormNumber)
// opens on it (Enter or a double click), new documents open in an empty card, and
// documents are posted, printed and deleted from the list. The list reads its rows in
// packets as the user scrolls, and narrows them by a search text over SearchFields and a
// document date range (cdsFilter, shown above the grid).
class TfBaseBrowseCardDocument : public TfBase {
public:
    TfBaseBrowseCardDocument();
    std::string ClassName() const override { return "TfBaseBrowseCardDocument"; }

    int CardFormNumber = 0;
    // Qualified key field of the card's filter, such as "D_PurchHeader.Id".
    std::string CardKeyField = "Id";

    // Qualified fields the search text is looked for in, such as "D_PurchHeader.DocumentNo".
    std::vector<std::string> SearchFields;
    // Qualified date field of the date range.
    std::string DateField;
    // SearchText, DateFrom, DateTo: what the user narrows the list by.
    TClientDataSet cdsFilter{"cdsFilter"};

    TAction& acEditRecord;

    bool CheckDataModification() override;
    void acInsertRecordExecute() override;
    void acDeleteRecordExecute() override;
    virtual void acEditRecordExecute();

    // The conditions of first and then of second, joined by AND.
    static TFilter AndJoined(const TFilter& first, const TFilter& second);

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    // The card of the current document; a list of several kinds of documents chooses by the row.
    virtual int CurrentCardFormNumber();
    // Opens the card with the given options, on the current document unless inserting.
    void OpenCard(bool newDocument);
};

}  // namespace tavrek
