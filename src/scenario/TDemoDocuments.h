#pragma once

#include "server/EmbeddedServer.h"

namespace tavrek::scenario {

// The documents a new demo company shows its first user, so that every list and every
// ledger view has something in it: invoices posted in euro and in dollars, a credit memo
// for goods sent back, and an invoice still open; the stock of the pantry and household items
// bought in January and the Sofia store's monthly sales of it since. They are entered through the editors as
// a buyer would, on the server the session is signed in to. Throws std::runtime_error
// naming the step when one cannot be entered.
void AddDemoDocuments(server::EmbeddedServer& server);

}  // namespace tavrek::scenario
