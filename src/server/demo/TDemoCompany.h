#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace tavrek::server {

class EmbeddedServer;

// Keys of the demo company that the client signs in with and tests rely on.
inline constexpr const char* kDemoCompanyId = "DEMO";
inline constexpr const char* kDemoBusinessGroupId = "BG-SOF";
inline constexpr const char* kDemoUserId = "ADMIN";
// Leva per euro, fixed when Bulgaria joined the euro (books in euro from 1 January 2026).
inline constexpr double kEurFixedFactor = 1.95583;
// The print forms of the demo company's invoice, debit memo, advance, credit memo and protocol subtypes.
inline constexpr const char* kPurchInvoicePrintForm = "PurchInvoice";
inline constexpr const char* kPurchDebitMemoPrintForm = "PurchDebitMemo";
inline constexpr const char* kPurchAdvancePrintForm = "PurchAdvancePayment";
inline constexpr const char* kPurchCrMemoPrintForm = "PurchCrMemo";
inline constexpr const char* kPurchProtocolPrintForm = "PurchProtocol";
inline constexpr const char* kPurchCrMemoProtocolPrintForm = "PurchCrMemoProtocol";

// Creates a company database at address (a new file or an empty PostgreSQL database) with a usable demo company: currencies and rates,
// VAT setup, vendors and items with prices and discounts, payment terms and methods,
// document subtypes, number series, print forms, copy templates, purchases setup and the
// message texts. All in one transaction; refuses (ECompanyDatabaseError) when the file exists
// or the database already holds tables.
// Its users are those of DemoUsers; adminPassword, when given, replaces the administrator's.
void CreateDemoCompany(const std::string& address, const std::string& adminPassword = {});

// The demo company's users, one of each role, with the passwords the README gives.
struct TDemoUser {
    const char* Id;
    const char* Login;
    const char* Role;
    const char* Password;
    const char* Name;
};
std::span<const TDemoUser> DemoUsers();

// The demo company's administrator signed in without a password, for tools and tests in this
// process: the server's session, the client's session data with the user's rights and the
// company's precisions and local currency, and the server as the one the client asks.
void SignInDemoUser(EmbeddedServer& server);

// The standard number (an EAN-13 of the Bulgarian range) of the demo company's item with
// the given index, its code being 1001 + index.
std::string DemoGtin(size_t item);

}  // namespace tavrek::server
