#include "base/server/IAppServer.h"

#include "base/data/TClientDataSet.h"

namespace tavrek {

int IAppServer::RequestDataPacket(const std::string& provider, const TFilter& filter, int skip, int,
                                  TClientDataSet& target) {
    if (skip > 0) return 0;
    RequestData(provider, filter, target);
    return target.RecordCount();
}

int IAppServer::Login(const std::string&, const std::string&, const std::string&, TSignedInUser&) { return -1; }

}  // namespace tavrek
