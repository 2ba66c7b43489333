#include "frame/uPurchasePackage.h"

#include "base/forms/TPackageUnits.h"
#include "documents/uEdPurchCrMemoDoc.h"
#include "documents/uEdPurchase.h"
#include "documents/uEdPurchaseDoc.h"
#include "editors/uEdPurchAdvancePayment.h"
#include "editors/uEdPurchCrMemo.h"
#include "editors/uEdPurchDebitMemo.h"
#include "editors/uEdPurchOffer.h"
#include "editors/uEdPurchOrder.h"
#include "global/uEdPurchGlobalCrMemo.h"
#include "global/uEdPurchGlobalCrMemoProtocol.h"
#include "global/uEdPurchGlobalInvoice.h"
#include "global/uEdPurchGlobalProtocol.h"
#include "lists/uBrAuditTrail.h"
#include "lists/uBrGlobalPurchCrMemo.h"
#include "lists/uBrGlobalPurchInvoice.h"
#include "lists/uBrGlobalPurchProtocol.h"
#include "lists/uBrPurchAdvancePayment.h"
#include "lists/uBrPurchCrMemo.h"
#include "lists/uBrPurchOffer.h"
#include "lists/uBrPurchOrder.h"
#include "lists/uPurchasesSetup.h"
#include "posted/uBrPostPurchOrder.h"
#include "lists/uBrPurchase.h"
#include "lists/uBrSelectPurchOrder.h"
#include "lists/uEdPurchOrdImport.h"
#include "posted/uBrPostPurchCrMemo.h"
#include "posted/uBrPostedPurchInvoice.h"
#include "posted/uBrPostedReceipt.h"
#include "posted/uEdPostGlobalPurchCrMemo.h"
#include "posted/uEdPostGlobalPurchCrMemoProtocol.h"
#include "posted/uEdPostGlobalPurchInvoice.h"
#include "posted/uEdPostGlobalPurchProtocol.h"
#include "posted/uEdPostPurchOrder.h"
#include "posted/uEdPostPurchRejectOrder.h"
#include "posted/uEdPostPurchReturnOrder.h"
#include "posted/uEdPostedPurchCrMemo.h"
#include "posted/uEdPostPurchAdvancePayment.h"
#include "posted/uEdPostedPurchInvoice.h"
#include "posted/uEdPostedReceipt.h"
#include "replenishment/uBrPurchOrderBufer.h"
#include "replenishment/uBrPurchOrderSuggestion.h"
#include "replenishment/uBrPurchOrderSuggestionToVendor.h"
#include "replenishment/uBrPurchOrderSuggBySaleOrder.h"
#include "replenishment/uEdPurchOrderBufer.h"
#include "replenishment/uEdPurchOrderSuggestionToVendor.h"
#include "reports/uBrPurchAnalysis.h"
#include "reports/uVATPurchaseLedger.h"

namespace tavrek {
namespace {

// The form units the package is built with, in registration order. A unit joins the list
// at its place in PurchaseFormClassOrder when its form class is written.
const TPackageUnit kUnits[] = {
    {uPurchasesSetup::Initialization, uPurchasesSetup::Finalization},
    {uBrAuditTrail::Initialization, uBrAuditTrail::Finalization},
    {uEdPostedPurchInvoice::Initialization, uEdPostedPurchInvoice::Finalization},
    {uBrPostedPurchInvoice::Initialization, uBrPostedPurchInvoice::Finalization},
    {uBrPostedReceipt::Initialization, uBrPostedReceipt::Finalization},
    {uEdPostedReceipt::Initialization, uEdPostedReceipt::Finalization},
    {uEdPostedPurchCrMemo::Initialization, uEdPostedPurchCrMemo::Finalization},
    {uBrPostPurchCrMemo::Initialization, uBrPostPurchCrMemo::Finalization},
    {uEdPurchOrder::Initialization, uEdPurchOrder::Finalization},
    {uEdPurchCrMemo::Initialization, uEdPurchCrMemo::Finalization},
    {uEdPurchOffer::Initialization, uEdPurchOffer::Finalization},
    {uBrPurchase::Initialization, uBrPurchase::Finalization},
    {uBrPurchOffer::Initialization, uBrPurchOffer::Finalization},
    {uBrPurchCrMemo::Initialization, uBrPurchCrMemo::Finalization},
    {uEdPurchOrderBufer::Initialization, uEdPurchOrderBufer::Finalization},
    {uBrPurchOrderBufer::Initialization, uBrPurchOrderBufer::Finalization},
    {uEdPostPurchOrder::Initialization, uEdPostPurchOrder::Finalization},
    {uEdPostPurchRejectOrder::Initialization, uEdPostPurchRejectOrder::Finalization},
    {uEdPostPurchReturnOrder::Initialization, uEdPostPurchReturnOrder::Finalization},
    {uEdPurchase::Initialization, uEdPurchase::Finalization},
    {uBrSelectPurchOrder::Initialization, uBrSelectPurchOrder::Finalization},
    {uEdPurchDebitMemo::Initialization, uEdPurchDebitMemo::Finalization},
    {uEdPurchGlobalProtocol::Initialization, uEdPurchGlobalProtocol::Finalization},
    {uEdPurchGlobalInvoice::Initialization, uEdPurchGlobalInvoice::Finalization},
    {uEdPostGlobalPurchCrMemo::Initialization, uEdPostGlobalPurchCrMemo::Finalization},
    {uEdPostGlobalPurchInvoice::Initialization, uEdPostGlobalPurchInvoice::Finalization},
    {uBrGlobalPurchInvoice::Initialization, uBrGlobalPurchInvoice::Finalization},
    {uBrGlobalPurchProtocol::Initialization, uBrGlobalPurchProtocol::Finalization},
    {uEdPurchaseDoc::Initialization, uEdPurchaseDoc::Finalization},
    {uBrGlobalPurchCrMemo::Initialization, uBrGlobalPurchCrMemo::Finalization},
    {uEdPurchGlobalCrMemo::Initialization, uEdPurchGlobalCrMemo::Finalization},
    {uBrPurchAdvancePayment::Initialization, uBrPurchAdvancePayment::Finalization},
    {uEdPurchAdvancePayment::Initialization, uEdPurchAdvancePayment::Finalization},
    {uEdPostPurchAdvancePayment::Initialization, uEdPostPurchAdvancePayment::Finalization},
    {uEdPostGlobalPurchProtocol::Initialization, uEdPostGlobalPurchProtocol::Finalization},
    {uBrPurchOrderSuggestion::Initialization, uBrPurchOrderSuggestion::Finalization},
    {uEdPurchCrMemoDoc::Initialization, uEdPurchCrMemoDoc::Finalization},
    {uEdPurchGlobalCrMemoProtocol::Initialization, uEdPurchGlobalCrMemoProtocol::Finalization},
    {uEdPostGlobalPurchCrMemoProtocol::Initialization, uEdPostGlobalPurchCrMemoProtocol::Finalization},
    {uBrPurchOrderSuggestionToVendor::Initialization, uBrPurchOrderSuggestionToVendor::Finalization},
    {uEdPurchOrderSuggestionToVendor::Initialization, uEdPurchOrderSuggestionToVendor::Finalization},
    {uEdPurchOrdImport::Initialization, uEdPurchOrdImport::Finalization},
    {uBrPurchOrderSuggBySaleOrder::Initialization, uBrPurchOrderSuggBySaleOrder::Finalization},
    {uBrPurchOrder::Initialization, uBrPurchOrder::Finalization},
    {uBrPostPurchOrder::Initialization, uBrPostPurchOrder::Finalization},
    {uVATPurchaseLedger::Initialization, uVATPurchaseLedger::Finalization},
    {uBrPurchAnalysis::Initialization, uBrPurchAnalysis::Finalization},
};

}  // namespace

void PurchasePackageStartup() { StartPackageUnits(kUnits); }

void PurchasePackageShutdown() { StopPackageUnits(kUnits); }

const std::vector<std::string>& PurchaseFormClassOrder() {
    static const std::vector<std::string> order = {
        "TfPurchasesSetup",
        "TfBrAuditTrail",
        "TfEdPostedPurchInvoice",
        "TfBrPostedPurchInvoice",
        "TfBrPostedReceipt",
        "TfEdPostedReceipt",
        "TfEdPostedPurchCrMemo",
        "TfBrPostPurchCrMemo",
        "TfEdPurchOrder",
        "TfEdPurchCrMemo",
        "TfEdPurchOffer",
        "TfBrPurchase",
        "TfBrPurchOffer",
        "TfBrPurchCrMemo",
        "TfEdPurchOrderBufer",
        "TfBrPurchOrderBufer",
        "TfEdPostPurchOrder",
        "TfEdPostPurchRejectOrder",
        "TfEdPostPurchReturnOrder",
        "TfEdPurchase",
        "TfBrSelectPurchOrder",
        "TfEdPurchDebitMemo",
        "TfEdPurchGlobalProtocol",
        "TfEdPurchGlobalInvoice",
        "TfEdPostGlobalPurchCrMemo",
        "TfEdPostGlobalPurchInvoice",
        "TfBrGlobalPurchInvoice",
        "TfBrGlobalPurchProtocol",
        "TfEdPurchaseDoc",
        "TfBrGloablPurchCrMemo",
        "TfEdPurchGlobalCrMemo",
        "TfBrPurchAdvancePayment",
        "TfEdPurchAdvancePayment",
        "TfEdPostPurchAdvancePayment",
        "TfEdPostGlobalPurchProtocol",
        "TfBrPurchOrderSuggestion",
        "TfEdPurchCrMemoDoc",
        "TfEdPurchGlobalCrMemoProtocol",
        "TfEdPostGlobalPurchCrMemoProtocol",
        "TfBrPurchOrderSuggestionToVendor",
        "TfEdPurchOrderSuggestionToVendor",
        "TfEdPurchOrdImport",
        "TfBrPurchOrderSuggBySaleOrder",
        "TfBrPurchOrder",
        "TfBrPostPurchOrder",
        "TfVATPurchaseLedger",
        "TfBrPurchAnalysis",
    };
    return order;
}

}  // namespace tavrek
