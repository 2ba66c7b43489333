// What a buyer waits for when a vendor's delivery comes in: a 10,000-line despatch advice of
// 500 items read, its items found, its lines saved into an import document and attached to
// the vendor's 200 open orders of 50 lines each (oldest first, so 140 of them); then the
// buffers generated from it, one per order. Each engine side by side.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "BenchEngines.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "frame/uPurchasePackage.h"
#include "lists/uEdPurchOrdImport.h"
#include "server/SqlValue.h"
#include "support/HeadlessFormHost.h"
#include "support/ScriptedDialogs.h"

namespace tavrek {
namespace {

constexpr int kItems = 500;
constexpr int kOrders = 200;
constexpr int kOrderLines = 50;
constexpr int kFileLines = 10000;

std::string Numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) + ") ";
}

std::string DespatchAdvice() {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DespatchAdvice xmlns=\"urn:oasis:names:specification:ubl:"
                      "schema:xsd:DespatchAdvice-2\" xmlns:cac=\"urn:oasis:names:specification:ubl:schema:xsd:"
                      "CommonAggregateComponents-2\" xmlns:cbc=\"urn:oasis:names:specification:ubl:schema:xsd:"
                      "CommonBasicComponents-2\"><cbc:ID>DA-BENCH</cbc:ID>";
    for (int i = 0; i < kFileLines; ++i)
        xml += "<cac:DespatchLine><cbc:ID>" + std::to_string(i + 1) + "</cbc:ID><cbc:DeliveredQuantity unitCode=\"H87\">" +
               std::to_string(1 + i % 3) + "</cbc:DeliveredQuantity><cac:Item><cbc:Name>Артикул</cbc:Name>"
               "<cac:SellersItemIdentification><cbc:ID>VB" + std::to_string(1 + i % kItems) +
               "</cbc:ID></cac:SellersItemIdentification></cac:Item></cac:DespatchLine>";
    return xml + "</DespatchAdvice>";
}

// Vendor 5003 sells 500 items of its own numbers and has 200 open orders of 50 lines, 40
// of each item in all: enough for every line of the file.
class TImportCompany : public server::TBenchServer {
public:
    explicit TImportCompany(int64_t engine) : TBenchServer(engine, "bench_order_import") {
        server::TDbSession& db = Server().Database();
        db.Exec("INSERT INTO N_Item (Id, Comp_Id, Code, Name, Type, PurchMeasure_Id, VATProdPostGroup_Id, GenProdPostGroup_Id, "
                "LastDirectCost, Vendor_Id) " + Numbers(kItems) +
                "SELECT 'B' || i, 'DEMO', 'B' || i, 'Артикул ' || i, 1, 'PCS', 'VAT20', 'GOODS', 1 + i % 13, 'V03' FROM n");
        db.Exec("INSERT INTO N_VendorPrice (Id, Comp_Id, Contragent_Id, Item_Id, Measure_Id, Currency_Id, StartingDate, "
                "MinimumQuantity, DirectUnitCost, PriceIncludingVAT, VendorItemNo) " + Numbers(kItems) +
                "SELECT 'VPB' || i, 'DEMO', 'V03', 'B' || i, 'PCS', 'EUR', 45658, 0, 1 + i % 13, 0, 'VB' || i FROM n");
        db.Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, DocumentDate, "
                "OrderDate, CurrencyFactor, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) " +
                Numbers(kOrders) +
                "SELECT 'BO' || i, 'DEMO', 22, 'SD-510', 'BORD-' || i, 'V03', 46000 + i, 46000 + i, 1, 'SUP-DOM', 'DOM', "
                "'DOM', 'BG-SOF' FROM n");
        db.Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                "DirectUnitCost_ACY, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, GenBusPostGroup_Id, GenProdPostGroup_Id) " +
                Numbers(kOrders * kOrderLines) + "SELECT 'BO' || (1 + (i - 1) / " + std::to_string(kOrderLines) +
                "), 'DEMO', 'BOL' || i, 1 + (i - 1) % " + std::to_string(kOrderLines) + ", 1, 'B' || (1 + i % " +
                std::to_string(kItems) + "), 3, 1, 1 + i % 13, 20, 'DOM', 'VAT20', 'DOM', 'GOODS' FROM n");
        db.Exec("ANALYZE");
        path_ = (std::filesystem::temp_directory_path() / ("tavrek-bench-da-" + std::to_string(engine) + ".xml")).string();
        std::ofstream(path_, std::ios::binary) << DespatchAdvice();
    }

    // The earlier runs' documents go: every order line is free again.
    void Reset() {
        server::TDbSession& db = Server().Database();
        for (const char* table : {"D_PurchOrdImportLineDetail", "D_PurchOrdImportLine", "D_PurchOrdImportHeader",
                                  "D_PurchOrderBufLine", "D_PurchOrderBufHeader"})
            db.Exec(std::string("DELETE FROM ") + table);
    }

    int64_t Count(const std::string& sql) { return server::SelectRows(Server().Database(), sql).Value().AsInteger(); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The session a buyer's client has: the server, the dialogs, the package's forms.
struct TBuyer {
    explicit TBuyer(TImportCompany& company) {
        guard.Session().SetServer(&company.Server());
        guard.Session().SetDialogs(&dialogs);
        LocalData().CompanyId = server::kDemoCompanyId;
        LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
        LocalData().UserId = server::kDemoUserId;
        PurchasePackageStartup();
    }
    TSessionGuard guard;
    testing::ScriptedDialogs dialogs;
    testing::HeadlessFormHost host;
};

// A saved new import of the vendor, ready for its file.
void NewImport(TfEdPurchOrdImport& form) {
    form.Create();
    form.Show();
    form.StartFromMenu();
    if (!form.EnterFieldValue(form.cdsMaster, form.cdsMaster.FieldByName("Code"), Variant("5003")) || !form.SaveData())
        throw std::runtime_error("the import was not saved");
}

void ImportFile(TBuyer& buyer, TfEdPurchOrdImport& form, const std::string& path) {
    buyer.dialogs.ExpectText(true, "2");
    buyer.dialogs.ExpectFile(true, path);
    form.acImportFromFile.Execute();
}

void BM_ImportAndAttachDespatchAdvice(benchmark::State& state) {
    TImportCompany& company = server::BenchCompanyOf<TImportCompany>(state);
    TBuyer buyer(company);
    for (auto _ : state) {
        state.PauseTiming();
        company.Reset();
        TfEdPurchOrdImport form;
        NewImport(form);
        state.ResumeTiming();
        ImportFile(buyer, form, company.Path());
        state.PauseTiming();
        if (company.Count("SELECT COUNT(*) FROM D_PurchOrdImportLine") != kFileLines ||
            company.Count("SELECT COUNT(*) FROM D_PurchOrdImportLine WHERE RemainingQty <> 0") != 0)
            throw std::runtime_error("the file was not imported and attached whole");
        state.ResumeTiming();
    }
    state.counters["lines"] = kFileLines;
}
BENCHMARK(BM_ImportAndAttachDespatchAdvice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_GenerateBuffersOfTheImport(benchmark::State& state) {
    TImportCompany& company = server::BenchCompanyOf<TImportCompany>(state);
    TBuyer buyer(company);
    for (auto _ : state) {
        state.PauseTiming();
        company.Reset();
        TfEdPurchOrdImport form;
        NewImport(form);
        ImportFile(buyer, form, company.Path());
        buyer.dialogs.ExpectMessage(mrOk, "0000");
        buyer.host.ScriptExternal(TfEdPurchOrdImport::kSubTypeSelector, 1, {"SD-580", "580", "Буфер на поръчка"});
        state.ResumeTiming();
        form.acGenPurchOrderBuf.Execute();
        state.PauseTiming();
        const int64_t orders = company.Count("SELECT COUNT(DISTINCT l.Master_Id) FROM D_PurchaseLine l JOIN "
                                             "D_PurchOrdImportLineDetail d ON d.PurchLineId = l.Id");
        if (company.Count("SELECT COUNT(*) FROM D_PurchOrderBufHeader") != orders ||
            company.Count("SELECT COUNT(*) FROM D_PurchOrdImportLineDetail WHERE BufferLine_Id IS NULL") != 0)
            throw std::runtime_error("the buffers were not made, one per order of the distribution");
        state.counters["buffers"] = static_cast<double>(orders);
        state.counters["lines"] = static_cast<double>(company.Count("SELECT COUNT(*) FROM D_PurchOrderBufLine"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GenerateBuffersOfTheImport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace tavrek
