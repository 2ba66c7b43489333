#include "base/forms/FormTestSupport.h"

#include <stdexcept>

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"

namespace tavrek::testing {
namespace {

void Fill(TClientDataSet& target, const std::vector<std::pair<std::string, TFieldType>>& fields,
          const std::vector<TVariantArray>& rows, const TFilter& filter) {
    if (target.FieldCount() == 0)
        for (const auto& [name, type] : fields) target.AddField(name, type);
    target.CreateDataSet();
    const TFilterCondition& condition = filter.Conditions().at(0);
    const int column = condition.FieldName() == "Id" ? 0 : 1;
    for (const TVariantArray& row : rows)
        if (!condition.Value.IsNull() && row[column] == condition.Value) target.AppendLoaded(row);
    target.First();
}

}  // namespace

void TStoredDocuments::ScriptOn(ScriptedServer& server) const {
    TScriptedAnswer headers;
    headers.Fill = [rows = Headers](const TFilter& filter, TClientDataSet& target) {
        Fill(target,
             {{"Id", TFieldType::ftString},
              {"Comp_Id", TFieldType::ftString},
              {"DocumentNo", TFieldType::ftString},
              {"N_Contragent_Code", TFieldType::ftString},
              {"TotalValue", TFieldType::ftFloat}},
             rows, filter);
    };
    server.Script("RequestData", "D_PurchHeader", headers, true);
    TScriptedAnswer lines;
    lines.Fill = [rows = Lines](const TFilter& filter, TClientDataSet& target) {
        Fill(target,
             {{"Id", TFieldType::ftString},
              {"Master_Id", TFieldType::ftString},
              {"Comp_Id", TFieldType::ftString},
              {"Code", TFieldType::ftString},
              {"Quantity", TFieldType::ftFloat}},
             rows, filter);
    };
    server.Script("RequestData", "D_PurchaseLine", lines, true);
}

TfTestDocument::TfTestDocument() {
    MasterProvider = "D_PurchHeader";
    MasterTable = "D_PurchHeader";
    DetailProvider = "D_PurchaseLine";
}

void TfTestDocument::GetPanelDetailsMaster() {
    ++PanelMasterCalls;
    pFloat.Text = cdsMaster.IsEmpty() ? "" : cdsMaster.FieldByName("N_Contragent_Code").AsString();
}

void TfTestDocument::ProcessSelectedRecords(const TRequestResult& rows) { Processed.push_back(rows); }

void TfTestDocument::PostDocument(bool print) {
    if (FailIn == "PostDocument") throw std::runtime_error("Сървърът не отговаря");
    TfBaseEditDocumentPanel::PostDocument(print);
    TVariantArray keys;
    if (dm().Server().PostPurchase(cdsMaster.FieldByName("Id").AsString(), keys) < 0) return;
    if (print) PrintPostedDocument(keys, "10020");
}

}  // namespace tavrek::testing
