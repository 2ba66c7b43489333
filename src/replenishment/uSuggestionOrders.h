#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/forms/IBaseIntf.h"
#include "base/forms/TLookupDefinition.h"
#include "base/forms/TFormDescription.h"

namespace tavrek {

class TfBase;

// What the suggestion worksheets share when they turn ticked rows into purchase orders
// through an opened order editor, one order per vendor.
namespace uSuggestionOrders {

// The fields a worksheet's rows give the order lines.
struct TRowFields {
    const char* Quantity;
    const char* Description2;
    // A saved suggestion document makes no line of a row that proposes nothing.
    bool SkipNothingToOrder = false;
};

// The ticked rows of a walk from the first record: whether any is ticked, whether one lacks a
// vendor, and the vendors in the order they first appear.
struct TTickedRows {
    bool Any = false;
    bool WithoutVendor = false;
    std::vector<std::string> Vendors;
};

// The order made for one vendor: the rows that went into it and the new line of each.
struct TVendorOrder {
    std::vector<std::string> RowIds;
    std::vector<std::string> LineIds;
    TDefaultValues Defaults;
};

// A worksheet's parameter looked up in a master table by the column typed, which is also the
// one it keeps.
TLookupDefinition ParameterLookup(const char* field, const char* caption, const char* table, const char* code,
                                  std::vector<TLookupCopy> copies);
bool HasVendor(TClientDataSet& rows);
TTickedRows CollectTickedRows(TClientDataSet& rows);
// The subtype of the orders from the selector: "520" when it hands back none; false when the
// user did not confirm.
bool ChooseSubType(TfBase& caller, std::string& subType);
// The worksheets' questions before their orders: nothing ticked is an error, ticked rows without
// a vendor go on only when the user agrees, then the subtype. False when the user stopped.
bool ConfirmTickedRows(TfBase& caller, const TTickedRows& ticked, std::string& subType);
// Opens the order editor on the company's orders with the caller as its calling form.
IBaseIntf* OpenOrderEditor(TfBase& caller, const std::string& companyId);
// The default values of the vendor's order from the ticked rows of that vendor, read through
// a clone so that quantities edited and not yet saved are what is ordered.
TVendorOrder VendorOrder(TClientDataSet& rows, const std::string& vendor, const std::string& subType,
                         const TRowFields& fields);
// Inserts, saves and reads back the order; returns its DocumentNo. A failed save or an order
// without a number is cancelled and fails with "msg_OperNotCompleted".
std::string SaveOrder(IBaseIntf& editor, const TVendorOrder& order);
// One order per vendor through an order editor opened for the caller, afterEach running after
// each saved order; the editor is closed at the end. Returns the numbers, each after "\r\n".
std::string SaveVendorOrders(TfBase& caller, TClientDataSet& rows, const std::vector<std::string>& vendors,
                             const std::string& subType, const TRowFields& fields, const std::function<void()>& afterEach);
// The ordering of a suggestion to vendor, list or document alike: the question, the rows stored
// first (refresh runs after each order and must find the ticks and quantities of the vendors
// still to come), the questions before the orders, one order per vendor with grid disabled, the
// numbers told and the ordered rows removed.
enum class TOrderOutcome { ooStopped, ooFailed, ooOrdered };
TOrderOutcome OrderTickedSuggestions(TfBase& form, TClientDataSet& rows, TGrid& grid, const TRowFields& fields,
                            const std::function<void()>& refresh, const std::string& operation);
// Runs the suggestion to vendor with the parameters, refreshes on success, and tells the outcome.
void RunSuggestionToVendor(const TVariantArray& params, const std::function<void()>& refresh);
// Removes the ticked rows that have a vendor, locally; the form's save sends the deletions.
void DeleteOrderedRows(TClientDataSet& rows);
// The footer of each named aggregate in the column named like it without "agg"; a null sum
// shows as "|-|".
void FillAggregateFooters(TGrid& grid, TClientDataSet& rows, std::initializer_list<const char*> aggregates);

}  // namespace uSuggestionOrders
}  // namespace tavrek
