#pragma once

#include <initializer_list>
#include <optional>
#include <utility>
#include <string>

#include "base/data/Variant.h"
#include "base/forms/TfBaseEditDocumentPanel.h"
#include "base/util/TVATTotals.h"

namespace tavrek {

// The common editor of the purchase documents entered line by line (invoices, orders,
// offers, credit and debit memos, the order buffer). Binds field changes to the purchase
// calculation rules, keeps the header totals in step with the lines and owns the
// document-wide operations: recalculation, currency factor, advance payments, side panel.
// Never opened by itself.
class TfEdBasePurchDocument : public TfBaseEditDocumentPanel {
public:
    TfEdBasePurchDocument();
    std::string ClassName() const override { return "TfEdBasePurchDocument"; }
    // A new document of a numbered kind takes its number when it is first saved.
    void acSaveExecute() override;

    // Set while a calculation runs; every rule takes it as its guard.
    bool Calculating = false;
    // Set while the editor fills lines itself; the quantity, code and unit rules then rest.
    bool Suspended = false;
    // Tells the next taking of selected records that they are advance payments. One flag
    // for the whole unit, shared by every open editor.
    static bool bAdvanceSelectedRecords;
    Variant AdvancePaymentAccount;
    TVATTotals VATTotals;

    TAction& acShowArticleMap;
    TAction& acAddAdvancePayment;
    TAction& acItemCard;
    TAction& acItemHistory;
    TAction& acAvalByBG;

    // The vendor and item lists of the side panel (held by pFloat, found by name).
    TPanelList& ControlListFastRelationship();
    TPanelList& ControlListItems();
    // The line grid's footers show the header's totals, VAT rounded per rate after F9.
    void UpdateGridFooter(TGrid& grid) override;
    // The captions of the side panel's vendor and item rows, in the order their values are filled.
    void SetSidePanelRows(std::initializer_list<const char*> vendorRows, std::initializer_list<const char*> itemRows);

    // Field-change handlers, in slot order; derived editors override them.
    virtual void ContragentFieldOnChange(TField& field);
    virtual void SubDocTypeFieldOnChange(TField& field);
    virtual void QuantityOnChange(TField& field);
    virtual void UnitCost_LCYOnChange(TField& field);
    virtual void LineDiscountOnChange(TField& field);
    virtual void LineDiscountAmountOnChange(TField& field);
    virtual void CurrencyOnChange(TField& field);
    virtual void PayTermOnChange(TField& field);
    virtual void CodeOnChange(TField& field);
    virtual void MeasureOnChange(TField& field);
    virtual void IndirectCostPercentOnChange(TField& field);
    virtual void TotalPriceOnChange(TField& field);
    virtual void AllowInvoiceDiscOnChange(TField& field);
    virtual void InvDiscAmountOnChange(TField& field);
    virtual void VATProdPostingGroupOnChange(TField& field);
    virtual void GenProdPostingGroupOnChange(TField& field);
    virtual void VATBusPostingGroupOnChange(TField& field);
    virtual void UnitCost_ACYOnChange(TField& field);
    virtual void PriceIncudingVATOnChange(TField& field);
    virtual void QtyPerUnitOfMeasureOnChange(TField& field);
    virtual void BusinessGroupOnChange(TField& field);
    virtual void VATValueOnChange(TField& field);
    // Line computations on the current line, with the flag set for their duration.
    virtual void CalcTotalAmounts();
    virtual void UpdateUnitCost();
    virtual void UpdateVATAmounts();

    void FormCreate() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    bool CheckDataModification() override;
    TRequestResult GetPrintDocument() override;
    void DoRecalcDocument() override;
    void ProcessSelectedRecords(const TRequestResult& rows) override;
    void PostDocument(bool print) override;
    bool OnSaveBeforeGetData() override;
    void GetPanelDetailsMaster() override;
    void GetPanelDetailsDetail() override;
    void acRefreshExecute() override;
    void acInsertRecordExecute() override;
    void cdsDetailAfterInsert() override;
    void cdsDetailAfterPost() override;
    void cdsDetailBeforeDelete() override;
    void cdsDetailAfterOpen() override;

    void ClearContragentPanel();
    void ClearItemPanel();

    void acSetCurrencyFactorExecute();
    void acAddAdvancePaymentExecute();
    void acItemCardExecute();
    void acItemHistoryExecute();
    void acAvalByBGExecute();
    // A click on a row of the vendor or the item list of the side panel.
    virtual void ContragentPanelClick(int row);
    virtual void ItemPanelClick(int row);

protected:
    // Lines filled from default values (a document copied by template) ask the VAT setup once
    // per pair of posting groups and refresh the item panel once, for the line left current.
    void ApplyDefaultValues(const TDefaultValues& values) override;
    // Posting saves the document in the posting's own transaction: a refused posting leaves
    // no draft and no number drawn.
    bool PostsWithItsSave() const override { return true; }
    // Whether posting removes the draft it posts (invoices and memos), rather than keeping it.
    virtual bool PostingRemovesDraft() const { return false; }
    // A new document takes the next number of its subtype's series when it is first saved, or
    // of this series of the purchases setup when the subtype has none; empty: not numbered.
    std::string NumberSeriesSetupField;
    void AssignDocumentNo();
    void TakeDefaultSubType();
    // Whether the document recalculation moves the cent lost to rounding in local currency
    // onto the line with the largest local amount.
    bool CorrectsLocalCurrencyCent = true;
    // The answer to "queChangeContragent" already given when the vendor was chosen in a
    // selector, so that the vendor rule does not ask a second time.
    std::optional<bool> contragentAnswer_;
    bool fillingFromDefaults_ = false;
    // Sets the handler of a field of the dataset when the dataset has the field.
    void Bind(TClientDataSet& dataSet, const char* fieldName, void (TfEdBasePurchDocument::*handler)(TField&));
    // Binds the fields of the dataset that the standard binding names to this editor's
    // handlers of the same names.
    void AttachStandardBinding(TClientDataSet& dataSet);
    // Writes the item's sale price (kind 0 without VAT, 1 with VAT) to the item master after
    // the user agrees; a refusal of the server fails with "err_Update_N_Item_UnitPrice".
    void UpdateItemUnitPrice(double price, int priceKind);
    // Whether the goods check allows deleting the document (documentKind as the server's
    // check knows it); shows the reason and refreshes when not.
    bool CheckDocumentBeforeDelete(int documentKind);
    // The choices of LedgerSubjectType: the ids of "N_LedgerSubjectTypes".
    void FillLedgerSubjectTypes();
    // The vendor's open advance payments (without VAT) in the advance-payment row of the
    // vendor list, read from the function named by "proc_GetContragentAdvancePayment".
    void ShowVendorAdvancePayment();
    // Layout helpers: header edits by page, the selectors of the vendor, subtype, payment
    // and currency edits present, and the line grid's columns with their totals.
    void AddStandardLookups();
    void AddLineColumns(std::initializer_list<TGridColumnRow> columns);
    // The item-charge assignment of the current line (a line of Type 3) in form 10600: the
    // assignment table and entry type tell which document the charges come from.
    void OpenItemChargeAssignment(const char* tableName, int entryType);
    // The foreign-trade fields of the header on the given page.
    void AddForeignTradeFields(const char* page);
    // Every line, from the first, takes the header's value of the field; the grid is off and
    // the cursor waits meanwhile.
    void CopyHeaderFieldToLines(const char* fieldName);
    // The goods-check state of the header: 0 without the field.
    int64_t CheckStatus();
    // Whether the session may change documents under goods check.
    static bool CheckLockLifted();
    bool HasLines();
    std::string LineItemCode();
    std::string DateText();

private:
    struct TRecalcSums {
        double S = 0.0;
        double L = 0.0;
        double LargestLCY = 0.0;
        Variant Candidate;
    };
    void RecalcLine(int position, TRecalcSums& sums);
    void CorrectLocalCurrencyCent(const TRecalcSums& sums);
    void WriteRecalculatedTotals(double S);
    void AddAdvancePaymentLine(const TRequestResult& rows, size_t row);
    void OpenItemSalePrices();
    void OpenReusableItems();
};

}  // namespace tavrek
