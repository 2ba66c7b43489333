#pragma once

#include <string>

#include "base/server/TRequestResult.h"

namespace tavrek {

class TfBase;

// A document to print or preview, handed to the form host: the desktop renders it to PDF,
// a test host records it.
struct TPrintRequest {
    TfBase* Form = nullptr;       // the form the request comes from; its data is the default printout
    std::string FormClass;
    int FormNumber = 0;
    TVariantArray Keys;           // keys of the document (the posted document's keys after posting)
    std::string PrintFormCode;    // print form chosen; empty for the form's default printout
    int Copies = 1;
    bool Preview = false;
    int DocumentKindCode = 0;
    TVariantArray DocumentInfo;   // GetDocumentInfo of the form
    bool Landscape = false;       // wide tables, such as a ledger, print across the page
};

}  // namespace tavrek
