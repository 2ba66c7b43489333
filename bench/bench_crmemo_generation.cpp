// What a buyer waits for when the vendor credits a large delivery: the credit memo generated
// from a posted 10,000-line invoice by its copy template, on each engine.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "BenchEngines.h"
#include "BenchSilentDialogs.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRequest.h"
#include "base/session/Tdm.h"
#include "editors/uEdPurchCrMemo.h"
#include "posted/uEdPostedPurchInvoice.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

constexpr int kInvoiceLines = 10000;

// A session on a demo company of the engine with one posted invoice of kInvoiceLines lines.
// Nothing asks the user.
class TBenchCompany : public TBenchSilentDialogs {
public:
    explicit TBenchCompany(int64_t engine)
        : folder_(fs::temp_directory_path() / ("tavrek-bench-crmemo-" + std::to_string(::getpid()))) {
        fs::create_directories(folder_);
        server_ = std::make_unique<server::EmbeddedServer>(server::BenchDemoCompany(engine, folder_, "bench_crmemo"));
        server_->SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
        PostInvoice();
    }
    ~TBenchCompany() override {
        server_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // The session of this company is the client's.
    void Enter() {
        dm().SetServer(server_.get());
        dm().SetDialogs(this);
        LocalData().CompanyId = server::kDemoCompanyId;
        LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
        LocalData().UserId = server::kDemoUserId;
    }

    const std::string& Invoice() const { return invoice_; }

private:
    void PostInvoice() {
        server::TDbSession& db = server_->Database();
        db.Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, "
                "VendorInvoiceNo, CurrencyFactor, BusinessGroup_Id, PayMethod_Id, CntrPostingGroup_Id, "
                "GenBusPostGroup_Id, VATBusPostGroup_Id) VALUES ('BENCH', 'DEMO', 1, 'SD-520', 'V01', 46346, "
                "'BENCH-1', 1, 'BG-SOF', 'BANK', 'SUP-DOM', 'DOM', 'DOM')");
        db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(kInvoiceLines) +
                ") INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, TotalPrice, VATBusPostGroup_Id, "
                "VATProdPostGroup_Id, VATPercent, VATBaseAmount, TotalValue, VATValue, TotalVAT, TotalValue_LCY, "
                "VATValue_LCY, TotalVAT_LCY) SELECT 'BENCH', 'BENCH-' || i, 'DEMO', i, 1, '1001', 2, 1, 2, 1.05, 2.1, "
                "'DOM', 'VAT20', 20, 2.1, 2.1, 0.42, 2.52, 2.1, 0.42, 2.52 FROM n");
        TVariantArray keys;
        if (server_->PostPurchase("BENCH", keys) < 0) throw std::runtime_error(server_->LastRefusalText());
        invoice_ = keys.at(0).AsString();
    }

    fs::path folder_;
    std::unique_ptr<server::EmbeddedServer> server_;
    std::string invoice_;
};

TBenchCompany& Company(benchmark::State& state) {
    static std::unique_ptr<TBenchCompany> companies[2];
    const int64_t engine = state.range(0);
    state.SetLabel(server::EngineName(engine));
    if (!companies[engine]) companies[engine] = std::make_unique<TBenchCompany>(engine);
    companies[engine]->Enter();
    return *companies[engine];
}

// From the posted invoice's view, as "Генериране кредитно известие" does: the credit memo
// editor copies the invoice's header and lines by the template; nothing is saved yet.
void BM_GenerateCrMemoFrom10000LineInvoice(benchmark::State& state) {
    TBenchCompany& company = Company(state);
    TfEdPostedPurchInvoice view;
    view.FormNumber = FindCatalogueClass(view.ClassName())->FormNumber;
    TFormRequest request;
    request.Filter.Add("D_PurchInvoiceHeader.Id", "=", company.Invoice());
    view.Create(request);
    view.Show();
    const std::string templateId = "CT-INV-CRM";
    for (auto _ : state) {
        state.PauseTiming();
        auto memo = std::make_unique<TfEdPurchCrMemo>();
        memo->Create();
        memo->Show();
        memo->CallingForm = &view;
        state.ResumeTiming();
        memo->CopyDocumentByTemplate(company.Invoice(), templateId, view.FormNumber, 0, 1, 0);
        state.PauseTiming();
        if (memo->cdsDetail.RecordCount() != kInvoiceLines) state.SkipWithError("not every line was copied");
        memo.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kInvoiceLines);
}
BENCHMARK(BM_GenerateCrMemoFrom10000LineInvoice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrek
