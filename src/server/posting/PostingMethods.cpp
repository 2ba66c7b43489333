#include "server/posting/IPostingMethods.h"
#include "server/posting/TPostingRefusal.h"

namespace tavrek::server {

std::unique_ptr<IPostingMethods> CreatePostingMethods() { return std::make_unique<TPostingRefusal>(); }

}  // namespace tavrek::server
