#pragma once

#include <string>

#include "lists/uOrdImportFile.h"

namespace tavrek {

// A UBL 2.1 DespatchAdvice as PEPPOL BIS Despatch Advice 3 has it: each DespatchLine with
// its DeliveredQuantity and unitCode, the item by SellersItemIdentification (else the
// buyer's or the standard identification) and the order it delivers (the line's
// OrderLineReference, else the document's OrderReference). Throws EOrdImportFile naming the
// line of the XML or the element at the first fault.
TOrdImportFile ParseDespatchAdvice(const std::string& xml);
TOrdImportFile ReadDespatchAdvice(const std::string& path);

}  // namespace tavrek
