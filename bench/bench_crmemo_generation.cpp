// What a buyer waits for when the vendor credits a large delivery: the credit memo generated
// from a posted 10,000-line invoice by its copy template, on each engine.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

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

constexpr int kInvoiceLines = 10000;

// A demo company of the engine with one posted invoice of kInvoiceLines lines. Nothing asks
// the user.
class TCrMemoCompany : public server::TBenchServer, public TBenchSilentDialogs {
public:
    explicit TCrMemoCompany(int64_t engine) : TBenchServer(engine, "bench_crmemo") {
        Server().SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
        PostInvoice();
    }

    // The session of this company is the client's.
    void Enter() {
        dm().SetServer(&Server());
        dm().SetDialogs(this);
        LocalData().CompanyId = server::kDemoCompanyId;
        LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
        LocalData().UserId = server::kDemoUserId;
    }

    const std::string& Invoice() const { return invoice_; }

private:
    void PostInvoice() {
        server::TDbSession& db = Server().Database();
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
        if (Server().PostPurchase("BENCH", keys) < 0) throw std::runtime_error(Server().LastRefusalText());
        invoice_ = keys.at(0).AsString();
    }

    std::string invoice_;
};

TCrMemoCompany& Company(benchmark::State& state) {
    TCrMemoCompany& company = server::BenchCompanyOf<TCrMemoCompany>(state);
    company.Enter();
    return company;
}

// From the posted invoice's view, as "Генериране кредитно известие" does: the credit memo
// editor copies the invoice's header and lines by the template; nothing is saved yet.
void BM_GenerateCrMemoFrom10000LineInvoice(benchmark::State& state) {
    TCrMemoCompany& company = Company(state);
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
        if (memo->cdsDetail.RecordCount() != kInvoiceLines) {
            state.SkipWithError("not every line was copied");
            break;
        }
        memo.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kInvoiceLines);
}
BENCHMARK(BM_GenerateCrMemoFrom10000LineInvoice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrek
