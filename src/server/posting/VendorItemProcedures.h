#pragma once

namespace tavrek::server {

class TProcedureRegistry;

// The procedures that find our item for a line of a vendor's document: by the vendor's
// cross-reference or our own number ("usp_GetItemFromAPI"), by the standard number
// ("usp_GetItemByStandardNo"), and the remembering of the item a user named for a vendor's
// line ("usp_SaveItemFromAPI").
void RegisterVendorItemProcedures(TProcedureRegistry& registry);

// The table of those cross-references, in SQL that SQLite and PostgreSQL both accept.
extern const char* const kItemCrossReferenceSql;

}  // namespace tavrek::server
