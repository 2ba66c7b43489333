#pragma once

// A client that sends what no form of ours would: columns only the server writes, changes of
// documents it may not touch, postings outside the period, another company's series. Each
// step is refused by its key and leaves every stored document, ledger and counter as it was.
#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "server/TQueryBuilder.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {

class HostileClientCase : public SqliteFixture, public ::testing::WithParamInterface<TGoldenCase> {
protected:
    // Whom the hostile client talks to: the server itself, or the same through the network.
    virtual IAppServer& Client() { return Server(); }

    // Order O1 (ten yoghurts, four kilograms of cheese), its buffer B1 invoicing three
    // yoghurts, invoice I1 of 19.11.2026 ready to post, and invoice G1 sent to the goods check.
    HostileClientCase() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, "
             "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, CheckStatus) VALUES "
             "('O1', 'DEMO', 22, 'SD-510', 'ORD-1', 'V03', NULL, 46340, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 0), "
             "('I1', 'DEMO', 1, 'SD-520', 'INV-1', 'V01', 'F-77', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 0), "
             "('G1', 'DEMO', 1, 'SD-520', 'INV-2', 'V01', 'F-78', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 1)");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('O1', 'DEMO', 'O1-1', 1, 1, '1008', 10, 1, 10, 0.95, 9.5, 20, 'DOM', 'VAT20'), "
             "('O1', 'DEMO', 'O1-2', 2, 1, '1010', 4, 1, 4, 9.8, 39.2, 20, 'DOM', 'VAT20'), "
             "('I1', 'DEMO', 'I1-1', 1, 1, '1002', 2, 1, 2, 1.05, 2.1, 20, 'DOM', 'VAT20'), "
             "('G1', 'DEMO', 'G1-1', 1, 1, '1002', 5, 1, 5, 1.05, 5.25, 20, 'DOM', 'VAT20')");
        Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
             "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, AppliesToDoc_Id) VALUES ('B1', 'DEMO', 23, 'SD-580', 'V03', 'F-1', 46345, 'SUP-DOM', "
             "'DOM', 'DOM', 'BG-SOF', 'O1')");
        Exec("INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
             "QtyPerUnitOfMeasure, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, "
             "VATProdPostGroup_Id, GenProdPostGroup_Id, OrderLine_Id) VALUES ('B1', 'B1-1', 'DEMO', 1, 1, '1008', 3, 1, "
             "0.95, 2.85, 20, 'DOM', 'VAT20', 'GOODS', 'O1-1')");
    }

    // Every row of what a client could reach, as text.
    std::string Stored() {
        std::string text;
        for (const char* table : {"D_PurchHeader", "D_PurchaseLine", "D_PurchOrderBufHeader", "D_PurchOrderBufLine",
                                  "D_PurchInvoiceHeader", "D_PurchInvoiceLine", "D_PurchReceiptHeader", "G_LEntry",
                                  "G_ItemEntry", "G_VATEntry", "G_ContragentEntry", "S_NoSeries", "S_NoSeriesLine",
                                  "C_PurchasesSetup", "S_AuditTrail"}) {
            const TRequestResult rows = Server().Database().Select(std::string("SELECT * FROM ") + table + " ORDER BY 1");
            for (const TVariantArray& row : rows.Rows) {
                for (const Variant& value : row) text += value.DebugString() + "|";
                text += "\n";
            }
        }
        return text;
    }

    // Runs a step as a client; false when the server refused it.
    bool Run(const TGoldenRow& step) {
        const std::string table = step.Words.empty() ? "" : step.Words[0].AsString();
        const std::string id = step.Words.size() < 2 ? "" : step.Words[1].AsString();
        TVariantArray keys;
        std::string number;
        if (step.Kind == "post-invoice") return Client().PostPurchase(table, keys) >= 0;
        if (step.Kind == "post-order") return Client().PostPurchOrder(table, keys, step.Int("Operation")) >= 0;
        if (step.Kind == "series") return Client().GetNextSerieNo(table, "", number) >= 0;
        if (step.Kind == "trail") return Count("S_AuditTrail", TrailWhere(step)) == step.Int("Rows");
        if (step.Kind == "read") {
            TRequestResult rows;
            return Client().RequestValue(0, table, "Id", TFilter(), rows, true) == step.Int("Rows");
        }
        TClientDataSet rows;
        Client().RequestData(table, TFilter().Add("Id", "=", step.Kind == "insert" ? "-1" : id), rows);
        if (step.Kind == "delete") rows.Delete();
        if (step.Kind == "insert") rows.Append();
        if (step.Kind == "change") rows.Edit();
        for (const auto& [field, value] : step.Pairs)
            if (rows.FindField(field) != nullptr) rows.FieldByName(field).SetValue(value);
        if (rows.State() != TDataSetState::dsBrowse) rows.Post();
        std::string errorText;
        try {
            return Client().ApplyUpdates({{table, &rows}}, errorText) == 0;
        } catch (const server::EQueryRefused&) {
            return false;
        }
    }

    // The trail's rows of the step's action, user, document and (when given) field and values.
    static std::string TrailWhere(const TGoldenRow& step) {
        std::string where = "User_Id = 'ADMIN' AND Comp_Id = 'DEMO' AND Action = '" + step.Text("Action") +
                            "' AND Document_Id = '" + step.Text("Document") + "'";
        for (const char* column : {"FieldName", "OldValue", "NewValue", "Record_Id"})
            if (step.Has(column)) where += std::string(" AND ") + column + " = '" + step.Text(column) + "'";
        return where;
    }

    int64_t Refusals(const std::string& key) { return Count("S_ErrorLog", "Message LIKE '%(" + key + ")'"); }

    // Takes the case's steps as a client and checks each refusal and what stayed stored.
    void RunCase(const TGoldenCase& c) {
        for (const TGoldenRow* given : c.RowsOf("given")) Exec(given->Words.at(0).AsString());
        const std::string before = Stored();
        for (const TGoldenRow& step : c.Rows) {
            if (step.Kind == "given") continue;
            SCOPED_TRACE(step.Kind + " " + (step.Words.empty() ? "" : step.Words[0].AsString()));
            const std::string key = step.Text("Refusal");
            const int64_t logged = key.empty() ? 0 : Refusals(key);
            EXPECT_EQ(Run(step), key.empty() && !step.Has("Refused")) << Client().LastRefusalText();
            if (!key.empty()) {
                EXPECT_EQ(Refusals(key), logged + 1) << "refused by " << key;
            }
        }
        if (c.Text("Stored") == "changed") EXPECT_NE(Stored(), before);
        else EXPECT_EQ(Stored(), before);
    }
};

}  // namespace tavrek::testing
