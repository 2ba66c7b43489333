#include "support/DocumentFormTest.h"

#include "support/ScriptedServer.h"

#include <utility>

namespace tavrek::testing {
namespace {

std::vector<TRow> Snapshot(TClientDataSet& source) {
    std::vector<TRow> rows;
    if (!source.Active()) return rows;
    for (source.First(); !source.Eof(); source.Next()) {
        TRow row;
        for (int i = 0; i < source.FieldCount(); ++i) row[source.Fields(i).FieldName()] = source.Fields(i).Value();
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

void FillDocumentDataSet(TClientDataSet& target, const std::vector<TFieldDef>& fields, const std::vector<TRow>& rows) {
    target.Close();
    if (target.FieldCount() == 0)
        for (const TFieldDef& field : fields) target.AddField(field.Name, field.Type);
    target.CreateDataSet();
    for (const TRow& row : rows) {
        std::vector<Variant> values;
        for (int i = 0; i < target.FieldCount(); ++i) {
            const auto it = row.find(target.Fields(i).FieldName());
            values.push_back(it == row.end() ? Variant() : it->second);
        }
        target.AppendLoaded(std::move(values));
    }
    target.First();
}

void ExpectFields(TClientDataSet& dataSet, const TRow& expected) {
    for (const auto& [name, value] : expected) {
        const Variant actual = dataSet.FieldByName(name).Value();
        if (value.Type() == TVarType::varDouble || value.Type() == TVarType::varInteger)
            EXPECT_NEAR(actual.AsFloat(), value.AsFloat(), 1e-9) << name;
        else
            EXPECT_EQ(actual.AsString(), value.AsString()) << name;
    }
}

DocumentFormTestBase::DocumentFormTestBase(std::vector<TFieldDef> headerFields, std::vector<TFieldDef> lineFields,
                                           const std::string& headerProvider, const std::string& lineProvider)
    : headerProvider_(headerProvider) {
    server.Script("RequestData", headerProvider,
                  {.Fill = [this, headerFields](const TFilter&, TClientDataSet& target) {
                      FillDocumentDataSet(target, headerFields, {header_});
                  }},
                  true);
    server.Script("RequestData", lineProvider,
                  {.Fill = [this, lineFields](const TFilter&, TClientDataSet& target) {
                      FillDocumentDataSet(target, lineFields, lines_);
                  }},
                  true);
    server.OnRequestValue("N_LedgerSubjectTypes", Rows({"Id"}, {{"1"}, {"2"}}), true);
    // A new document takes its kind's first subtype.
    server.Otherwise("RequestValue", "N_SubDocument", {.Rows = Rows({"Id", "Code", "Name"}, {{"SD-1", "520", "Фактура"}})});
    // The invoice editor and the other editors spell the advance payment call differently.
    for (const char* vendor : {"V01", "V02"})
        for (const char* separator : {",", ", "})
            server.OnRequestValue("fn_GetContragentAdvancePayment('C1'" + std::string(separator) + "'" + vendor + "'" +
                                      separator + "1)",
                                  Rows({"ContragentAdvancePayment"}, {{125.5}}), true);
    server.Script("GetContragentPurchDue", "", {.Rows = Rows({"PurchDue", "OverDue"}, {{300.0, 40.0}})}, true);
    server.Script("GetItemParams", "", {.Rows = Rows({"Code", "Name", "UnitPrice"}, {{"1001", "Брашно", 1.49}})}, true);
}

DocumentFormTestBase::DocumentFormTestBase(TPurchDocument kind, std::initializer_list<const char*> messageKeys,
                                           const std::string& headerProvider, const std::string& lineProvider)
    : DocumentFormTestBase(PurchHeaderFields(kind), PurchLineFields(kind), headerProvider, lineProvider) {
    KeysAsTexts(messageKeys);
}

void DocumentFormTestBase::KeysAsTexts(std::initializer_list<const char*> keys) {
    for (const char* key : keys) server.SetMessage(key, key);
}

std::vector<std::string> DocumentFormTestBase::Keys(const std::string& method) const {
    std::vector<std::string> keys;
    for (const TServerCall& call : server.CallsTo(method)) keys.push_back(call.Key);
    return keys;
}

void DocumentFormTestBase::OpenForm(TfBase& form, TRow header, std::vector<TRow> lines) {
    header.emplace("Comp_Id", "C1");
    header.emplace("CurrencyFactor", 1.0);
    header.emplace("PriceIncludingVAT", 0);
    for (TRow& line : lines) {
        line.emplace("Master_Id", header["Id"]);
        line.emplace("Comp_Id", "C1");
        line.emplace("Type", 1);
        line.emplace("QtyPerUnitOfMeasure", 1.0);
        line.emplace("PriceIncludingVAT", header["PriceIncludingVAT"]);
    }
    header_ = std::move(header);
    lines_ = std::move(lines);
    TFormRequest request;
    request.DefaultValues = std::exchange(openDefaults_, {});
    request.Filter.Add(headerProvider_ + ".Id", "=", header_["Id"]);
    form_ = &form;
    form.FormNumber = formNumber_;
    form.Create(request);
    form.Show();
    server.ClearCalls();
}

void DocumentFormTestBase::AcceptSaves(const std::string& headerId) {
    server.OnApply = [this](const std::vector<TUpdatePacket>&) {
        header_ = Snapshot(form_->cdsMaster).front();
        if (TClientDataSet* lines = form_->FindDataSet("cdsDetail")) lines_ = Snapshot(*lines);
    };
    server.Script("ApplyUpdates", "", {}, true);
    server.Script("ExecuteSQLScript", "exec dbo.usp_RecalcPurchDocument '" + headerId + "', 'C1'", {}, true);
}

void DocumentFormTestBase::GotoLine(TClientDataSet& lines, int lineNo) {
    ASSERT_TRUE(lines.Locate("Line_No", {lineNo}));
}

}  // namespace tavrek::testing
