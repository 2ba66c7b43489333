#include "server/posting/IPostingMethods.h"
#include "server/posting/TPurchOrderPosting.h"

namespace tavrek::server {

std::unique_ptr<IPostingMethods> CreatePostingMethods() { return std::make_unique<TPurchOrderPosting>(); }

}  // namespace tavrek::server
