// tavrek-netload: one desktop's worth of load on a tavrek-server started with
// --scenario-checks: invoices typed and posted through the invoice editor and orders received
// through their buffers, one after the other, as a buyer would. A document whose call broke
// (the server went away or was busy) is looked up once the server answers again and typed
// anew only when nothing of it was posted.
#include <chrono>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "base/session/TSignIn.h"
#include "base/session/Tdm.h"
#include "frame/uPurchasePackage.h"
#include "net/TRemoteServer.h"
#include "scenario/TRemoteStore.h"
#include "scenario/TScenarioRunner.h"

namespace {

using namespace tavrek;

struct TLoadOptions {
    std::string Server, User, Password, Client;
    int Invoices = 0, Buffers = 0;
};

std::string InvoiceSteps(const std::string& vendorNo) {
    return "header N_Contragent_Code=5003 DocSubType_Id=SD-520 VendorInvoiceNo=" + vendorNo +
           " DocumentDate=2026-11-20\n"
           "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=2 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
           "post\n";
}

const char* const kBufferSteps =
    "order N_Contragent_Code=5003 DocSubType_Id=SD-510 DocumentDate=2026-11-02\n"
    "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=4 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
    "recalculate\n"
    "saved D_PurchHeader TotalValue=3.80\n"
    "operation Name=Receive DocumentDate=2026-11-05 PostingDate=2026-11-05\n"
    "post\n";

// Runs the steps on a new document; the id of the document they began and whether all held.
bool RunDocument(IAppServer& server, scenario::IScenarioStore& store, const std::string& text, std::string& openId) {
    std::istringstream lines(text);
    const std::vector<scenario::TScenarioStep> steps = scenario::ReadScenario(lines);
    try {
        scenario::TScenarioRunner runner(server, store);
        bool ok = true;
        for (const scenario::TScenarioResult& result : runner.Run(steps)) ok = ok && result.Ok;
        openId = runner.OpenId();
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

// Asks until the server answers whether the document was posted; a server away for two
// minutes ends this desktop, so that a load whose server died fails instead of hanging.
bool Posted(scenario::IScenarioStore& store, const std::string& sql, const std::string& key) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        try {
            return store.Select(sql, {key}).Value().AsInteger() > 0;
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    throw std::runtime_error("the server has not answered for two minutes");
}

int Run(const TLoadOptions& options) {
    net::TRemoteServer server(options.Server);
    // A server away at the start is waited for as during the work.
    for (int attempt = 0;; ++attempt) {
        try {
            if (SignIn(server, {}, options.User, options.Password) == 0) break;
            std::cerr << "sign-in refused: " << server.LastRefusalText() << "\n";
            return 1;
        } catch (const std::exception&) {
            if (attempt == 300) throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    PurchasePackageStartup();
    scenario::TRemoteStore store(server);
    int retries = 0;
    const auto post = [&](const std::string& text, const std::string& sql, const std::string& key) {
        for (int attempt = 0; attempt < 300; ++attempt) {
            std::string openId;
            if (RunDocument(server, store, text, openId)) return true;
            ++retries;
            if (Posted(store, sql, key.empty() ? openId : key)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    };
    const auto epochMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    const int64_t started = epochMs();
    for (int i = 0; i < options.Invoices; ++i) {
        const std::string vendorNo = options.Client + "-" + std::to_string(i + 1);
        if (!post(InvoiceSteps(vendorNo), "SELECT COUNT(*) FROM D_PurchInvoiceHeader WHERE VendorInvoiceNo = ?", vendorNo))
            return 1;
    }
    // When this desktop's invoices were posted, for the load's throughput.
    std::cout << "invoices from " << started << " to " << epochMs() << "\n";
    for (int i = 0; i < options.Buffers; ++i)
        if (!post(kBufferSteps, "SELECT COUNT(*) FROM D_PurchReceiptHeader WHERE AppliesToDoc_Id = ?", {})) return 1;
    std::cout << "client " << options.Client << ": " << options.Invoices << " invoices, " << options.Buffers
              << " buffers posted, " << retries << " retried\n";
    dm().SetServer(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TLoadOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--server") options.Server = value;
        else if (name == "--user") options.User = value;
        else if (name == "--password") options.Password = value;
        else if (name == "--client") options.Client = value;
        else if (name == "--invoices") options.Invoices = std::stoi(value);
        else if (name == "--buffers") options.Buffers = std::stoi(value);
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "client " << options.Client << ": " << e.what() << "\n";
    }
    return 1;
}
