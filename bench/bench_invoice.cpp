// What a buyer waits for with a large purchase invoice on the embedded server: saving it
// from the editor, posting it, and opening it in the editor.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "BenchSilentDialogs.h"
#include "base/forms/TFormRequest.h"
#include "base/session/Tdm.h"
#include "documents/uEdPurchase.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

// A session on a fresh demo company in a temporary folder. Nothing asks the user.
class TBenchCompany : public TBenchSilentDialogs {
public:
    TBenchCompany() : folder_(fs::temp_directory_path() / ("tavrek-bench-invoice-" + std::to_string(::getpid()))) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const std::string path = (folder_ / "company.db").string();
        server::CreateDemoCompany(path);
        server_ = std::make_unique<server::EmbeddedServer>(path);
        server_->SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
        dm().SetServer(server_.get());
        dm().SetDialogs(this);
        LocalData().CompanyId = server::kDemoCompanyId;
        LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
        LocalData().UserId = server::kDemoUserId;
    }
    ~TBenchCompany() override {
        dm().SetServer(nullptr);
        dm().SetDialogs(nullptr);
        server_.reset();
        fs::remove_all(folder_);
    }

    server::EmbeddedServer& Server() { return *server_; }

    // A saved invoice of the given number of lines, written straight into the database.
    std::string SavedInvoice(int lines) {
        const std::string id = "BENCH-" + std::to_string(++documents_);
        server_->Database().Exec(
            "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, "
            "VendorInvoiceNo, CurrencyFactor, BusinessGroup_Id, PayMethod_Id, CntrPostingGroup_Id, GenBusPostGroup_Id, "
            "VATBusPostGroup_Id) VALUES ('" + id + "', 'DEMO', 1, 'SD-520', 'V01', 46346, '" + id + "', 1, 'BG-SOF', "
            "'BANK', 'SUP-DOM', 'DOM', 'DOM')");
        server_->Database().Exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(lines) +
            ") INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, DirectUnitCost_ACY, "
            "TotalPrice, VATBusPostGroup_Id, VATProdPostGroup_Id, VATPercent, VATBaseAmount, TotalValue, VATValue, "
            "TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY) SELECT '" + id + "', '" + id + "-' || i, 'DEMO', i, 1, "
            "'1001', 2, 1.05, 2.1, 'DOM', 'VAT20', 20, 2.1, 2.1, 0.42, 2.52, 2.1, 0.42, 2.52 FROM n");
        return id;
    }

private:
    fs::path folder_;
    std::unique_ptr<server::EmbeddedServer> server_;
    int documents_ = 0;
};

TBenchCompany& Company() {
    static TBenchCompany company;
    return company;
}

// A new invoice in the editor with lines as the rules would have left them; the rules are
// held off while the lines are filled, so only the save is measured.
std::unique_ptr<TfEdPurchase> TypedInvoice(int lines) {
    auto form = std::make_unique<TfEdPurchase>();
    form->Create();
    form->Show();
    form->acInsertRecord.Execute();
    form->Calculating = form->Suspended = true;
    TClientDataSet& h = form->cdsMaster;
    h.FieldByName("DocSubType_Id").SetAsString("SD-520");
    h.FieldByName("Contragent_Id").SetAsString("V01");
    h.FieldByName("VendorInvoiceNo").SetAsString(h.FieldByName("Id").AsString());
    TClientDataSet& d = form->cdsDetail;
    for (int i = 0; i < lines; ++i) {
        d.Append();
        d.FieldByName("Type").SetAsInteger(1);
        d.FieldByName("Code").SetAsString("1001");
        d.FieldByName("VATProdPostGroup_Id").SetAsString("VAT20");
        d.FieldByName("Quantity").SetAsFloat(2.0);
        d.FieldByName("DirectUnitCost_ACY").SetAsFloat(1.05);
        for (const char* field : {"TotalPrice", "TotalValue", "TotalValue_LCY", "VATBaseAmount"})
            d.FieldByName(field).SetAsFloat(2.1);
        d.FieldByName("VATPercent").SetAsFloat(20.0);
        d.Post();
    }
    form->Calculating = form->Suspended = false;
    return form;
}

void BM_SaveInvoice(benchmark::State& state) {
    Company();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TfEdPurchase> form = TypedInvoice(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        if (!form->SaveData()) {
            state.SkipWithError("the save was refused");
            break;
        }
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveInvoice)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PostInvoice(benchmark::State& state) {
    TBenchCompany& company = Company();
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = company.SavedInvoice(static_cast<int>(state.range(0)));
        TVariantArray keys;
        state.ResumeTiming();
        if (company.Server().PostPurchase(id, keys) != 0) {
            state.SkipWithError(company.Server().LastRefusalText().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PostInvoice)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenInvoice(benchmark::State& state) {
    const std::string id = Company().SavedInvoice(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TfEdPurchase form;
        TFormRequest request;
        request.Filter.Add("D_PurchHeader.Id", "=", id);
        form.Create(request);
        form.Show();
        if (form.cdsDetail.RecordCount() != state.range(0)) {
            state.SkipWithError("not every line was read");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenInvoice)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tavrek
