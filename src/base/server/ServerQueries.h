#pragma once

namespace tavrek {

// Statements the package sends through ExecuteSQLScript after saving a document; the
// server recognises them by their shape. Arguments are filled with FormatMessage.
// Recalculation of a purchase document: quoted header Id, quoted Comp_Id.
inline constexpr const char* c_query_RecalcDocument = "exec dbo.usp_RecalcPurchDocument %s, %s";
// Recalculation of a global document: quoted header Id, quoted Comp_Id, quoted kind ('3' or '5').
inline constexpr const char* _c_query_RecalcDocument = "exec dbo.usp_RecalcGlobalDocument %s, %s, %s";

}  // namespace tavrek
