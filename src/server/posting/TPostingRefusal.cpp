#include "server/posting/TPostingRefusal.h"

namespace tavrek::server {

int TPostingRefusal::Refuse(TServerContext& ctx) {
    ctx.RefusalKey = "err_NotImplementedPosting";
    return -1;
}

int TPostingRefusal::PostPurchase(TServerContext& ctx, const std::string&, TVariantArray&) { return Refuse(ctx); }

int TPostingRefusal::PostPurchCrMemo(TServerContext& ctx, const std::string&, TVariantArray&, int) { return Refuse(ctx); }

int TPostingRefusal::PostPurchOrder(TServerContext& ctx, const std::string&, TVariantArray&, int) { return Refuse(ctx); }

int TPostingRefusal::PostPurchProtocol(TServerContext& ctx, const std::string&, int, TVariantArray&) {
    return Refuse(ctx);
}

int TPostingRefusal::PostGlobalDoc(TServerContext& ctx, const std::string&, int, TVariantArray&) { return Refuse(ctx); }

int TPostingRefusal::AnnulDocument(TServerContext& ctx, const std::string&, int, const std::string&, TDateTime, int,
                                   Variant&) {
    return Refuse(ctx);
}

int TPostingRefusal::AnnulGlobalDoc(TServerContext& ctx, const std::string&, int, const std::string&, TDateTime, int) {
    return Refuse(ctx);
}

int TPostingRefusal::AnnulPurchProtocol(TServerContext& ctx, const std::string&, int, const std::string&, TDateTime) {
    return Refuse(ctx);
}

int TPostingRefusal::DeleteGlobalDoc(TServerContext& ctx, const std::string&, int) { return Refuse(ctx); }

}  // namespace tavrek::server
