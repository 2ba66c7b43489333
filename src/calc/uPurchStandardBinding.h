#pragma once

#include <functional>
#include <vector>

namespace tavrek {
class TClientDataSet;
class TField;
}  // namespace tavrek

// The standard binding of purchase editors: which header and line field changes run which
// calculation routine. Held as data so that an editor attaches it in one call and replaces
// single handlers with its own. Reached through calc/uPurchCallculations.h.
namespace tavrek::uPurchCallculations {

enum class TBindingRecord { brHeader, brLine };

// What a bound routine works on: the editor's datasets and its two flags (Suspended is the
// editor's line-filling flag). Copied into each handler; the referenced objects must outlive
// the binding.
struct TPurchEditorState {
    TClientDataSet& Header;
    TClientDataSet& Line;
    bool& Calculating;
    bool& Suspended;
};

using TPurchBoundRoutine = void (*)(const TPurchEditorState& state);

struct TPurchFieldBinding {
    TBindingRecord Record;
    const char* Field;
    const char* Handler;  // the editor's handler, "QuantityOnChange"
    const char* Routine;  // the routine it calls, "PurchQuantityOnChange"
    // Calls the routine with the standard arguments: LookupPrice true for Quantity, Measure_Id
    // and Code; for Contragent_Id LookupPrice true on a document
    // without lines, otherwise the answer to "queChangeContragent".
    TPurchBoundRoutine Run;
};

// The table in attachment order, header fields first.
const std::vector<TPurchFieldBinding>& PurchStandardBinding();

// An editor's handler for an entry; an empty function leaves the field unbound.
using TPurchHandlerFactory = std::function<std::function<void(TField&)>(const TPurchFieldBinding&)>;

// Sets OnChange of every field of the table that its dataset has, running the entry's routine.
void AttachPurchStandardBinding(const TPurchEditorState& state);
// The same with the handlers an editor makes (for example its virtual methods).
void AttachPurchStandardBinding(const TPurchEditorState& state, const TPurchHandlerFactory& handlerFor);
// Clears OnChange of every field of the table.
void DetachPurchStandardBinding(TClientDataSet& Header, TClientDataSet& Line);

}  // namespace tavrek::uPurchCallculations
