#pragma once

#include <string>

#include "base/forms/TfEdBaseGlobalDocument.h"
#include "base/util/TVATTotals.h"

namespace tavrek {

// What tells the four consolidated document editors apart: the source documents they draw
// lines from, the server calls' credit-memo marker, and their reports.
struct TGlobalDocumentKind {
    int KindCode;
    int NewDocumentType;  // the header's DocumentType of a new document
    int LinkedFormNumber;
    int DeleteMarker;     // DeleteGlobalDoc's credit-memo marker
    int PostMarker;       // the posting call's
    const char* SelectorNumber;       // the source line selector
    const char* SourceKind;           // the first default value handed to the selector
    const char* SourceHeader;         // the sources' header table
    const char* OutOfLedgerField;     // kept out of the VAT ledger
    const char* GlobalFlagField;      // itself a global document
    const char* GlobalNoField;        // the global document it went into
    const char* SelectorFields;
    const char* TargetFields;
    const char* PostedReport;
    char RecalcMarker;  // the server recalculation after a save; 0 for none
    const char* Caption;
    bool PostsAsProtocol;  // PostPurchProtocol rather than PostGlobalDoc
};

// The shared road of a consolidated document: sources are chosen from posted documents of the
// header's vendor and taken over with the rules suppressed, the document is recalculated with
// the global rules, a save draws the transaction number once, and deleting it clears its rows
// on the server first. The document kinds bind their own field rules and post their own way.
class TfEdPurchGlobalDocument : public TfEdBaseGlobalDocument {
public:
    explicit TfEdPurchGlobalDocument(const TGlobalDocumentKind& kind);
    // The shared editor of the four global documents, never a form of its own.
    std::string ClassName() const override = 0;

    bool Calculating = false;
    // While set the code, line-discount and VAT-base handlers do nothing.
    bool RulesSuppressed = false;
    TVATTotals VATTotals;

    void FormCreate() override;
    void FormShow() override;
    void StartFromMenu() override;
    void acChooseDocumentsExecute() override;
    void acDeleteLinesFromDocsExecute() override;
    void acSaveExecute() override;
    void ProcessSelectedRecords(const TRequestResult& rows) override;
    void DoRecalcDocument() override;
    void cdsMasterBeforeDelete() override;
    TRequestResult GetPrintDocument() override;
    int GetPrintDocumentType() override { return 2; }
    bool OnSaveBeforeGetData() override;
    virtual void acSetCurrencyFactorExecute();

    const TGlobalDocumentKind& Kind() const { return kind_; }

protected:
    using THandler = void (TfEdPurchGlobalDocument::*)(TField&);
    void Bind(TClientDataSet& dataSet, const char* fieldName, THandler handler);
    // The handlers every kind binds: currency, payment terms, price basis, code, line
    // discount, unit cost, total price, VAT product group.
    void AttachCommonEvents(TClientDataSet& dataSet);
    void CurrencyOnChange(TField&);
    void PayTermOnChange(TField&);
    void PriceIncudingVATOnChange(TField&);
    void CodeOnChange(TField&);
    void LineDiscountOnChange(TField&);
    void LineDiscountAmountOnChange(TField&);
    void UnitCostOnChange(TField&);
    void UnitCost_LCYOnChange(TField&);
    void TotalPriceOnChange(TField&);
    void VATProdPostGroupOnChange(TField&);
    // After the kind's checks and the inherited step: posts, prints when asked, refreshes and
    // tells the calling form.
    void PostToServer(bool print);
    // Set while chosen source lines are copied in: they keep their sources' prices.
    bool TakingOver() const { return takingOver_; }
    TFilter ChooseFilter() const;
    TFilter RemoveFilter() const;

private:
    void DrawTransactionNo();
    void DescribeLayout();
    const TGlobalDocumentKind& kind_;
    bool takingOver_ = false;
};

}  // namespace tavrek
