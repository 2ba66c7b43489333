#pragma once

#include <memory>
#include <string>

#include "base/data/TDateTime.h"
#include "base/server/TRequestResult.h"
#include "server/TServerContext.h"

namespace tavrek::server {

class TProcedureRegistry;

// The ledger-changing server methods. Each runs inside the transaction the server opened
// for the call: a negative result (with ctx.RefusalKey set to a message key) or an
// exception rolls everything back; a result of 0 or more is committed.
class IPostingMethods {
public:
    virtual ~IPostingMethods() = default;

    virtual int PostPurchase(TServerContext& ctx, const std::string& id, TVariantArray& keys) = 0;
    virtual int PostPurchCrMemo(TServerContext& ctx, const std::string& id, TVariantArray& keys, int option) = 0;
    virtual int PostPurchOrder(TServerContext& ctx, const std::string& id, TVariantArray& keys, int operation) = 0;
    virtual int PostPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) = 0;
    virtual int PostGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) = 0;
    virtual int AnnulDocument(TServerContext& ctx, const std::string& id, int kind, const std::string& description,
                              TDateTime date, int flag, Variant& output) = 0;
    virtual int AnnulGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, const std::string& description,
                               TDateTime date, int annulPayments) = 0;
    virtual int AnnulPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo,
                                   const std::string& description, TDateTime date) = 0;
    virtual int DeleteGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo) = 0;

    // Procedures that belong with posting (protocol creation and the like) register here.
    virtual void RegisterProcedures(TProcedureRegistry&) {}
};

// The posting methods the server is built with. Defined in posting/PostingMethods.cpp,
// the one place to change when posting units are added.
std::unique_ptr<IPostingMethods> CreatePostingMethods();

}  // namespace tavrek::server
