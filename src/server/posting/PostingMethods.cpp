#include "server/posting/IPostingMethods.h"
#include "server/posting/TPurchCrMemoPosting.h"

namespace tavrek::server {

std::unique_ptr<IPostingMethods> CreatePostingMethods() { return std::make_unique<TPurchCrMemoPosting>(); }

}  // namespace tavrek::server
