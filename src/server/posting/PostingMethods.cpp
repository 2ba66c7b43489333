#include "server/posting/IPostingMethods.h"
#include "server/posting/TPurchasePosting.h"

namespace tavrek::server {

std::unique_ptr<IPostingMethods> CreatePostingMethods() { return std::make_unique<TPurchasePosting>(); }

}  // namespace tavrek::server
