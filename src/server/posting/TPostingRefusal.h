#pragma once

#include "server/posting/IPostingMethods.h"

namespace tavrek::server {

// Posting methods for a server built without posting: every call is refused with
// "err_NotImplementedPosting", so nothing is half-posted and the refusal is logged.
class TPostingRefusal : public IPostingMethods {
public:
    int PostPurchase(TServerContext& ctx, const std::string& id, TVariantArray& keys) override;
    int PostPurchCrMemo(TServerContext& ctx, const std::string& id, TVariantArray& keys, int option) override;
    int PostPurchOrder(TServerContext& ctx, const std::string& id, TVariantArray& keys, int operation) override;
    int PostPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) override;
    int PostGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) override;
    int AnnulDocument(TServerContext& ctx, const std::string& id, int kind, const std::string& description,
                      TDateTime date, int flag, Variant& output) override;
    int AnnulGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, const std::string& description,
                       TDateTime date, int annulPayments) override;
    int AnnulPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, const std::string& description,
                           TDateTime date) override;
    int DeleteGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo) override;

private:
    static int Refuse(TServerContext& ctx);
};

}  // namespace tavrek::server
