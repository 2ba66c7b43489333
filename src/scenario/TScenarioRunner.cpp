#include "scenario/TScenarioRunner.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "base/forms/TFormCatalogue.h"
#include "base/session/Tdm.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "documents/uEdPurchaseDoc.h"
#include "editors/uEdPurchAdvancePayment.h"
#include "frame/uPurchasePackage.h"
#include "global/uEdPurchGlobalInvoice.h"
#include "others/uEdPurchCrMemoProtocol.h"
#include "others/uEdPurchProtocol.h"
#include "posted/uEdPostedPurchCrMemo.h"
#include "posted/uEdPostedPurchInvoice.h"
#include "scenario/TLedgerExpectation.h"
#include "reports/uBrPurchAnalysis.h"
#include "server/SqlValue.h"
#include "server/posting/TBooksCheck.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::scenario {
namespace {

// A step that could not be carried out; the rest of the scenario would test nothing.
class EStepFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string StepText(const TScenarioStep& step) {
    std::string text = step.Verb + (step.Table.empty() ? "" : " " + step.Table);
    for (const TScenarioPair& pair : step.Pairs) text += " " + pair.Key + "=" + pair.Value;
    return text;
}

const std::string& Required(const TScenarioStep& step, const std::string& key) {
    const std::string* value = step.Find(key);
    if (value == nullptr) throw EStepFailed("липсва " + key + "=");
    return *value;
}

// Numbers match to a thousandth, anything else exactly.
bool Matches(const Variant& actual, const std::string& expected) {
    char* end = nullptr;
    const double number = std::strtod(expected.c_str(), &end);
    if (!expected.empty() && *end == '\0' && actual.Type() != TVarType::varString)
        return std::abs(actual.AsFloat() - number) < 0.001;
    return actual.AsString() == expected;
}

std::string Differs(const std::string& key, const Variant& actual, const std::string& expected) {
    return key + "=" + (actual.IsNull() ? "NULL" : actual.AsString()) + " (очаквано " + expected + ")";
}

}  // namespace

TScenarioRunner::TScenarioRunner(server::EmbeddedServer& server)
    : TScenarioRunner(server, std::make_unique<TEmbeddedStore>(server)) {}

TScenarioRunner::TScenarioRunner(IAppServer& server, IScenarioStore& store)
    : server_(server), store_(store), form_(std::make_unique<TfEdPurchase>()) {
    // Forms open one another by number, as in the client.
    PurchasePackageStartup();
    form_->Create();
    form_->Show();
    form_->acInsertRecord.Execute();
}

TScenarioRunner::TScenarioRunner(IAppServer& server, std::unique_ptr<IScenarioStore> store)
    : TScenarioRunner(server, *store) {
    ownStore_ = std::move(store);
}

TScenarioRunner::~TScenarioRunner() = default;

std::vector<TScenarioResult> TScenarioRunner::Run(const std::vector<TScenarioStep>& steps) {
    std::vector<TScenarioResult> results;
    const size_t loggedBefore = dm().ErrorLog().Entries().size();
    for (const TScenarioStep& step : steps) {
        try {
            Perform(step, results);
        } catch (const std::exception& e) {
            results.push_back({false, step.LineNo, StepText(step), e.what()});
            return results;
        }
    }
    const auto& log = dm().ErrorLog().Entries();
    for (size_t i = loggedBefore; i < log.size(); ++i)
        results.push_back({false, 0, "журнал на грешките", log[i].Operation + ": " + log[i].Message});
    for (const std::string& failure : host_.Failures()) results.push_back({false, 0, "действие", failure});
    return results;
}

void TScenarioRunner::Perform(const TScenarioStep& step, std::vector<TScenarioResult>& results) {
    const auto expect = [&](const std::string& difference) {
        results.push_back({difference.empty(), step.LineNo, StepText(step), difference});
    };
    if (step.Verb == "advance" || step.Verb == "invoice" || step.Verb == "generic") {
        Start(step.Verb);
    } else if (step.Verb == "header") {
        SetFields(Editor().cdsMaster, step.Pairs);
        openId_ = Editor().cdsMaster.FieldByName("Id").AsString();
    } else if (step.Verb == "line") {
        AddLine(step.Pairs);
    } else if (step.Verb == "recalculate") {
        Editor().acReCalcDocument.Execute();
    } else if (step.Verb == "saved") {
        if (Editor().HasChanges() && !Editor().SaveData()) throw EStepFailed("документът не е записан");
        expect(ExpectRow(step, openId_));
    } else if (step.Verb == "post") {
        expect(Post(step));
    } else if (step.Verb == "posted") {
        expect(ExpectRow(step, openId_));
    } else if (step.Verb == "source") {
        expect(ExpectRow(step, sourceId_));
    } else if (step.Verb == "offer") {
        StartOffer();
    } else if (step.Verb == "convert") {
        expect(Convert(step));
    } else if (step.Verb == "sum") {
        expect(ExpectSums(step));
    } else if (step.Verb == "count") {
        expect(ExpectCount(step));
    } else if (step.Verb == "closed") {
        expect(Editor().cdsMaster.IsEmpty() ? "" : "редакторът е на документ " + Editor().cdsMaster.FieldByName("Id").AsString());
    } else if (step.Verb == "assign") {
        Assign(step);
    } else if (step.Verb == "consume") {
        Consume(step);
    } else if (step.Verb == "annul") {
        expect(Annul(step));
    } else if (step.Verb == "credit") {
        Credit(step);
    } else if (step.Verb == "creditline") {
        CreditLine(step);
    } else if (step.Verb == "order") {
        Order(step);
    } else if (step.Verb == "operation") {
        Operation(step);
    } else if (step.Verb == "bufferline") {
        if (buffer_ == nullptr) throw EStepFailed("няма буфер");
        SetLineFields(buffer_->cdsDetail, step);
    } else if (step.Verb == "edit") {
        SetLineFields(Editor().cdsDetail, step);
    } else if (step.Verb == "advanceline") {
        AddAdvanceLines();
    } else if (step.Verb == "pay") {
        expect(Pay(step));
    } else if (step.Verb == "protocol") {
        expect(Protocol(step));
    } else if (step.Verb == "analysis") {
        expect(ExpectAnalysis(step));
    } else if (step.Verb == "books") {
        expect(ExpectBooksBalanced());
    } else if (step.Verb == "global") {
        expect(Global(step));
    } else if (step.Verb == "vatledger") {
        expect(ExpectVATLedger(server_, step, folder_));
    } else {
        throw EStepFailed("непозната стъпка");
    }
}

// As typed: codes of master data go through their lookups.
void TScenarioRunner::SetFields(TClientDataSet& dataSet, const std::vector<TScenarioPair>& pairs) {
    for (const TScenarioPair& pair : pairs) {
        TField* field = dataSet.FindField(pair.Key);
        if (field == nullptr) throw EStepFailed("няма поле " + pair.Key);
        if (!Editor().EnterFieldValue(dataSet, *field, Variant(pair.Value)))
            throw EStepFailed("стойността на " + pair.Key + " не е приета");
    }
}

void TScenarioRunner::AddLine(const std::vector<TScenarioPair>& pairs) {
    Editor().cdsDetail.Append();
    Editor().cdsDetail.FieldByName("Type").SetAsInteger(1);
    SetFields(Editor().cdsDetail, pairs);
    Editor().cdsDetail.Post();
}

std::string TScenarioRunner::Scope(const std::string& table) const {
    if (table == "D_GlobalPurchHeader") return "Id = ?";
    if (table == "D_GlobalPurchLine") return "Master_Id = ?";
    if (order_) return OrderScope(table);
    if (table == "D_PurchHeader") return "Id = ?";
    // Once a credit memo is posted, the invoice it credits.
    if (table == "D_PurchInvoiceHeader" && crMemo_)
        return "IsGlobalInvoice = 0 AND VendorInvoiceNo = (SELECT ToInvoiceNo FROM D_PurchCrMemoHeader WHERE "
               "SrcDocument_Id = ?)";
    if (table == "D_PurchaseLine") return "Master_Id = ?";
    if (table == PostedTable()) return "SrcDocument_Id = ?";
    const std::string posted = "(SELECT Id FROM " + PostedTable() + " WHERE SrcDocument_Id = ?)";
    if (table == "D_PurchInvoiceLine" || table == "D_PurchCrMemoLine") return "Master_Id = " + posted;
    if (table == "D_VendorPayment") return "AppliesToDoc_Id = " + posted;
    // The ledger of a document and of the payments that paid it: annulled together, they must
    // come back to nothing together.
    if (table == "G_LEntry")
        return "Document_Id IN (SELECT x.Id FROM (SELECT Id, Id AS Paid FROM " + PostedTable() +
               " UNION ALL SELECT Id, AppliesToDoc_Id FROM D_VendorPayment) x WHERE x.Paid IN " + posted + ")";
    return (table == "D_PostItemChargeAssigment" ? "SrcDocument_ID = " : "Document_Id = ") + posted;
}

std::string TScenarioRunner::PostedId() {
    return store_.Select("SELECT Id FROM " + PostedTable() + " WHERE SrcDocument_Id = ?", {openId_})
        .Value()
        .AsString();
}

// The first pair picks the row of the document; every pair must match.
std::string TScenarioRunner::ExpectRow(const TScenarioStep& step, const std::string& id) {
    if (step.Pairs.empty()) throw EStepFailed("няма стойности");
    std::string columns;
    for (const TScenarioPair& pair : step.Pairs) columns += (columns.empty() ? "" : ", ") + pair.Key;
    const TRequestResult rows = store_.Select("SELECT " + columns + " FROM " + step.Table + " WHERE " +
                                                       Scope(step.Table) + " AND " + step.Pairs[0].Key + " = ?",
                                                   {id, step.Pairs[0].Value});
    if (rows.Rows.size() != 1) return std::to_string(rows.Rows.size()) + " реда вместо 1";
    std::string difference;
    for (size_t i = 0; i < step.Pairs.size(); ++i)
        if (!Matches(rows.Value(0, i), step.Pairs[i].Value))
            difference += (difference.empty() ? "" : ", ") + Differs(step.Pairs[i].Key, rows.Value(0, i), step.Pairs[i].Value);
    return difference;
}

// The first pair picks the rows of the document; every further column must add up to its value.
std::string TScenarioRunner::ExpectSums(const TScenarioStep& step) {
    std::string difference;
    for (size_t i = 1; i < step.Pairs.size(); ++i) {
        const Variant sum = store_.Select("SELECT COALESCE(SUM(" + step.Pairs[i].Key + "), 0) FROM " + step.Table +
                                                   " WHERE " + Scope(step.Table) + " AND " + step.Pairs[0].Key + " = ?",
                                               {openId_, step.Pairs[0].Value})
                                .Value();
        if (!Matches(Variant(sum.AsFloat()), step.Pairs[i].Value))
            difference += (difference.empty() ? "" : ", ") + Differs(step.Pairs[i].Key, sum, step.Pairs[i].Value);
    }
    return difference;
}

// Rows=N rows of the table belong to the document.
std::string TScenarioRunner::ExpectCount(const TScenarioStep& step) {
    const std::string& expected = Required(step, "Rows");
    const Variant rows =
        store_.Select("SELECT COUNT(*) FROM " + step.Table + " WHERE " + Scope(step.Table), {openId_})
            .Value();
    return Matches(rows, expected) ? "" : Differs("Rows", rows, expected);
}

// Posted through the editor's action; with Refused=KEY the server must refuse with that
// key's message and keep the invoice open.
// The header's pairs typed into the global invoice editor, every source line chosen in its
// selector, and the document posted; the vendor's number of it names it among the posted.
std::string TScenarioRunner::Global(const TScenarioStep& step) {
    TfEdPurchGlobalInvoice global;
    global.FormNumber = 10821;
    global.Create();
    global.Show();
    global.acInsertRecord.Execute();
    for (const TScenarioPair& pair : step.Pairs) {
        TField* field = global.cdsMaster.FindField(pair.Key);
        if (field == nullptr) throw EStepFailed("няма поле " + pair.Key);
        if (!global.EnterFieldValue(global.cdsMaster, *field, Variant(pair.Value)))
            throw EStepFailed("стойността на " + pair.Key + " не е приета");
    }
    host_.TakeMessages();
    host_.ChooseEveryRowOfNextSelect();
    global.acChooseDocuments.Execute();
    global.acPostDocument.Execute();
    std::string shown;
    for (const std::string& message : host_.TakeMessages()) shown += " | " + message;
    const TRequestResult posted =
        store_.Select("SELECT COUNT(*) FROM D_PurchInvoiceHeader WHERE DocumentType = ? AND VendorInvoiceNo = ?",
                      {server::DocumentType::PostedGlobalInvoice, Required(step, "VendorInvoiceNo")});
    return posted.Value().AsInteger() == 1 ? "" : "глобалната фактура не е осчетоводена" + shown;
}

std::string TScenarioRunner::Post(const TScenarioStep& step) {
    if (buffer_ != nullptr) return PostBuffer(step);
    host_.TakeMessages();
    (protocol_ ? static_cast<TfBase&>(*protocol_) : Editor()).acPostDocument.Execute();
    std::string shown;
    for (const std::string& message : host_.TakeMessages()) shown += (shown.empty() ? "" : " | ") + message;
    const bool posted = !PostedId().empty();
    const std::string* refused = step.Find("Refused");
    if (refused == nullptr) return posted ? "" : "не е осчетоводена: " + shown;
    const std::string text = server_.GetMessageText(*refused);
    if (posted) return "осчетоводена въпреки очаквания отказ " + *refused;
    return !text.empty() && shown.find(text) != std::string::npos ? "" : "показано: " + shown;
}

// The invoice (or receipt, return or rejection: kind is their DocumentType) posted last from
// the order's buffers and not annulled, the newest first by the column given.
std::string TScenarioRunner::LastOrderDocument(const std::string& table, const std::string& newest, int kind) {
    const std::string ofKind = kind == 0 ? "" : " AND DocumentType = " + std::to_string(kind);
    return store_.Select("SELECT Id FROM " + table + " WHERE AppliesToDoc_Id = ? AND Annul = 0" + ofKind +
                                  " ORDER BY " + newest + " DESC",
                              {openId_})
        .Value()
        .AsString();
}

// Of=previous annuls the document posted before the current one; Of=receipt, Of=return,
// Of=rejection and Of=order (the posted order) the order's last of them; otherwise the order's last invoice or the posted document.
std::string TScenarioRunner::AnnulTarget(const TScenarioStep& step) {
    const std::string* of = step.Find("Of");
    const std::string target = of != nullptr ? *of : "";
    if (target == "previous") return previousId_;
    if (target == "receipt") return LastOrderDocument("D_PurchReceiptHeader", "DocumentNo");
    if (target == "return") return LastOrderDocument("D_PostPurchOrderHeader", "DocumentNo", server::DocumentType::PostedPurchReturnOrder);
    if (target == "rejection")
        return LastOrderDocument("D_PostPurchOrderHeader", "DocumentNo", server::DocumentType::PostedPurchRejectOrder);
    if (target == "order") return LastOrderDocument("D_PostPurchOrderHeader", "DocumentNo", server::DocumentType::PostedPurchOrder);
    return order_ ? LastOrderDocument("D_PurchInvoiceHeader", "TransactionNo") : PostedId();
}

// With Refused=KEY the server must refuse with that key's message, naming Names when given.
std::string TScenarioRunner::Annul(const TScenarioStep& step) {
    const std::string* description = step.Find("Description");
    const std::string* payments = step.Find("Payments");
    const std::string* refused = step.Find("Refused");
    const std::string id = AnnulTarget(step);
    const TDateTime date = TDateTime::Parse(Required(step, "Date"));
    const std::string* global = step.Find("Global");
    const std::string text = description ? *description : "";
    const int side = crMemo_ ? 1 : 0;
    Variant output;
    // A posted protocol is a global document to the posted invoice and credit memo views.
    const int annulPayments = payments ? std::stoi(*payments) : 0;
    const int result = global != nullptr && *global == "1" ? server_.AnnulGlobalDoc(id, side, text, date, annulPayments)
                       : protocol_ ? server_.AnnulPurchProtocol(id, side, text, date)
                                   : server_.AnnulDocument(id, 0, text, date, annulPayments, output);
    if (refused == nullptr) return result == 0 ? "" : "отказ: " + server_.LastRefusalText();
    if (result == 0) return "анулирана въпреки очаквания отказ " + *refused;
    const std::string* names = step.Find("Names");
    const std::string message = server_.GetMessageText(*refused);
    const std::string expected = names != nullptr ? FormatMessage(message, {*names}) : message;
    return server_.LastRefusalText() == expected ? "" : "отказ: " + server_.LastRefusalText();
}

// An item charge line (by its number) takes a share of its amount onto an item line.
void TScenarioRunner::Assign(const TScenarioStep& step) {
    const auto lineId = [&](const std::string& number) {
        return store_.Select("SELECT Id FROM D_PurchaseLine WHERE Master_Id = ? AND Line_No = ?",
                                  {openId_, std::stoi(number)})
            .Value()
            .AsString();
    };
    store_.Execute("INSERT INTO D_ItemChargeAssigment (Id, Comp_Id, Document_Id, AppliesToDoc_Id, ItemLine_Id, "
                         "Quantity) VALUES (?, ?, ?, ?, ?, ?)",
                         {CreateUniqueID(), store_.CompanyId(), openId_, lineId(Required(step, "Charge")),
                          lineId(Required(step, "Line")), std::stod(Required(step, "Quantity"))});
}

// Later sales take a quantity of the item out of the batch the invoice (for an order, its
// last receipt) received; a negative quantity takes a sale back.
void TScenarioRunner::Consume(const TScenarioStep& step) {
    const std::string batch = order_ ? LastOrderDocument("D_PurchReceiptHeader", "DocumentNo") : PostedId();
    store_.Execute("UPDATE G_ItemEntry SET RemainingQuantity = RemainingQuantity - ? WHERE Document_Id = ? AND "
                         "Item_Id = (SELECT Id FROM N_Item WHERE Code = ?)",
                         {std::stod(Required(step, "Quantity")), batch, Required(step, "Code")});
}

// A payment of Amount to the vendor for the posted invoice (the credited one after "credit"),
// from the purchases setup's payment account, posted as the payment form posts it.
std::string TScenarioRunner::Pay(const TScenarioStep& step) {
    const std::string invoiceId = crMemo_ ? creditedId_ : PostedId();
    const std::string paymentId = CreateUniqueID();
    store_.Execute("INSERT INTO D_VendorPayment (Id, Comp_Id, DocumentNo, DocumentDate, AppliesToDoc_Id, "
                         "Account_Id, Amount, CurrencyFactor, Description) SELECT ?, Id, 'PAY-1', ?, ?, DirectPayAccount, "
                         "?, 1, 'Плащане' FROM C_PurchasesSetup WHERE Id = ?",
                         {paymentId, TDateTime::Parse(Required(step, "Date")), invoiceId,
                          std::stod(Required(step, "Amount")), store_.CompanyId()});
    TRequestResult answer;
    server_.RequestValue(-1, "exec usp_PostVendorPayment '" + store_.CompanyId() + "', '" + paymentId + "'",
                         "Result,ErrMsg", TFilter(), answer, false);
    return answer.ByName("Result").AsInteger() == 0 ? "" : "плащането е отказано: " + answer.ByName("ErrMsg").AsString();
}

TfEdBasePurchDocument& TScenarioRunner::Editor() {
    if (buffer_ != nullptr) return *buffer_;
    if (order_) return *order_;
    if (crMemo_) return *crMemo_;
    if (offer_) return *offer_;
    return *form_;
}

std::string TScenarioRunner::PostedTable() const { return crMemo_ ? "D_PurchCrMemoHeader" : "D_PurchInvoiceHeader"; }

// A credit memo of the posted invoice, as its posted view generates one: the credit memo
// editor copies the invoice by its copy template; the pairs are then typed on its header.
void TScenarioRunner::Credit(const TScenarioStep& step) {
    const std::string invoiceId = PostedId();
    if (invoiceId.empty() || crMemo_ || protocol_) throw EStepFailed("няма осчетоводена фактура за кредитиране");
    std::unique_ptr<TfBase> view = OpenPostedView(invoiceId);
    const TRequestResult found = store_.Select("SELECT Id FROM S_CopyDocTemplateHeader WHERE Comp_Id = ? AND SrcForm_Id = ? AND TrgForm_Id = ?",
        {store_.CompanyId(), view->FormNumber, uEdPurchCrMemo::kFormNumber});
    if (found.Rows.size() != 1) throw EStepFailed("няма шаблон за кредитно известие");
    auto memo = std::make_unique<TfEdPurchCrMemo>();
    memo->Create();
    memo->Show();
    memo->CallingForm = view.get();
    memo->CopyDocumentByTemplate(invoiceId, found.Value().AsString(), view->FormNumber, 0, 1, 0);
    memo->CallingForm = nullptr;
    creditedView_ = std::move(view);
    creditedId_ = invoiceId;
    crMemo_ = std::move(memo);
    openId_ = crMemo_->cdsMaster.FieldByName("Id").AsString();
    SetFields(crMemo_->cdsMaster, step.Pairs);
}

// A new document in the invoice editor, the advance payment editor or the generic document
// editor; the steps then concern it.
void TScenarioRunner::Start(const std::string& kind) {
    if (crMemo_ || offer_ || order_) throw EStepFailed("новият документ трябва да следва фактура");
    if (kind == "advance") form_ = std::make_unique<TfEdPurchAdvancePayment>();
    else if (kind == "generic") form_ = std::make_unique<TfEdPurchaseDoc>();
    else form_ = std::make_unique<TfEdPurchase>();
    // A protocol made before belongs to the document before: the new one has none yet.
    protocol_.reset();
    protocolSource_.reset();
    form_->Create();
    form_->Show();
    form_->acInsertRecord.Execute();
    previousId_ = PostedId();
    openId_.clear();
}

// The vendor's open advances, each chosen in the selector of "Добавяне на авансови плащания".
void TScenarioRunner::AddAdvanceLines() {
    host_.AnswerNextSelect(store_.Select("SELECT d.Id, d.Account_Id, d.sAmount, d.Description, d.GlobalDimension_Id FROM G_LAccountDimension d JOIN "
        "C_PurchasesSetup p ON p.Id = d.Comp_Id AND p.AdvancePaymentAccount = d.Account_Id WHERE d.Comp_Id = ? AND "
        "d.Reference_Id = ? AND d.sAmount <> 0 ORDER BY d.DocumentDate, d.Id",
        {store_.CompanyId(), Editor().cdsMaster.FieldByName("Contragent_Id").Value()}));
    Editor().acAddAdvancePayment.Execute();
}

// A line of the credit memo (Line=N) credits another Quantity; Quantity=0 leaves it out.
// A line of a buffer takes its values the same way.
void TScenarioRunner::CreditLine(const TScenarioStep& step) {
    if (!crMemo_) throw EStepFailed("няма кредитно известие");
    SetLineFields(crMemo_->cdsDetail, step);
}

void TScenarioRunner::SetLineFields(TClientDataSet& lines, const TScenarioStep& step) {
    for (lines.First(); !lines.Eof(); lines.Next())
        if (lines.FieldByName("Line_No").AsString() == Required(step, "Line")) break;
    if (lines.Eof()) throw EStepFailed("няма ред " + Required(step, "Line"));
    const std::string* quantity = step.Find("Quantity");
    if (quantity != nullptr && std::stod(*quantity) == 0.0) {
        lines.Delete();
        return;
    }
    std::vector<TScenarioPair> pairs;
    for (const TScenarioPair& pair : step.Pairs)
        if (pair.Key != "Line") pairs.push_back(pair);
    lines.Edit();
    SetFields(lines, pairs);
    lines.Post();
}

void TScenarioRunner::StartOffer() {
    if (offer_ || !openId_.empty()) throw EStepFailed("офертата трябва да е първият документ");
    offer_ = std::make_unique<TfEdPurchOffer>();
    offer_->Create();
    offer_->Show();
    offer_->acInsertRecord.Execute();
}

// Into=order or Into=purchase, through the offer editor's action; the server's document
// must open in its editor. With Refused=KEY the server must refuse with that key's message.
std::string TScenarioRunner::Convert(const TScenarioStep& step) {
    TfEdPurchOffer* offer = offer_ ? offer_.get() : convertedOffer_.get();
    if (offer == nullptr) throw EStepFailed("няма оферта");
    const bool toOrder = Required(step, "Into") == "order";
    const std::string offerId = offer->cdsMaster.FieldByName("Id").AsString();
    const auto made = [&] {
        return store_.Select("SELECT Id FROM D_PurchHeader WHERE AppliesToDoc_Id = ? ORDER BY Id",
                                  {offerId});
    };
    const size_t before = made().Rows.size();
    host_.TakeMessages();
    (toOrder ? offer->acCreateOrder : offer->acCreatePurch).Execute();
    std::string shown;
    for (const std::string& message : host_.TakeMessages()) shown += (shown.empty() ? "" : " | ") + message;
    const TRequestResult documents = made();
    if (const std::string* refused = step.Find("Refused")) {
        if (documents.Rows.size() != before) return "създаден документ въпреки очаквания отказ " + *refused;
        const std::string text = server_.GetMessageText(*refused);
        return !text.empty() && shown.find(text) != std::string::npos ? "" : "показано: " + shown;
    }
    if (documents.Rows.size() != before + 1) return "не е създаден документ: " + shown;
    sourceId_ = offerId;
    openId_ = documents.Value(documents.Rows.size() - 1, 0).AsString();
    if (!toOrder) OpenConvertedInvoice();
    for (TfBase* form : host_.OpenForms())
        if (auto* editor = dynamic_cast<TfEdBasePurchDocument*>(form);
            editor != nullptr && editor->cdsMaster.Active() && editor->cdsMaster.FieldByName("Id").AsString() == openId_)
            return "";
    return "документът не е отворен в редактора си";
}

// The steps go on with the invoice the offer became, in an invoice editor of their own.
void TScenarioRunner::OpenConvertedInvoice() {
    convertedOffer_ = std::move(offer_);
    form_ = std::make_unique<TfEdPurchase>();
    TFormRequest request;
    request.Filter.Add("D_PurchHeader.Id", "=", openId_);
    form_->Create(request);
    form_->Show();
}

// A new purchase order in its editor; the header pairs are typed as on an invoice.
void TScenarioRunner::Order(const TScenarioStep& step) {
    buffer_ = nullptr;  // the buffer of an order before is done with
    order_ = std::make_unique<TfEdPurchOrder>();
    order_->FormNumber = TfEdPurchOrder::kFormNumber;
    order_->Create();
    order_->Show();
    order_->acInsertRecord.Execute();
    SetFields(order_->cdsMaster, step.Pairs);
    openId_ = order_->cdsMaster.FieldByName("Id").AsString();
}

// The order hands over to its buffer and closes, as the client then frees it; the next
// operation opens it anew.
void TScenarioRunner::ReopenOrder() {
    order_ = std::make_unique<TfEdPurchOrder>();
    order_->FormNumber = TfEdPurchOrder::kFormNumber;
    TFormRequest request;
    request.Filter.Add("D_PurchHeader.Id", "=", openId_);
    order_->Create(request);
    order_->Show();
}

// One of the order's operations (Name=Receive, Return, Reject, Invoice or ReceiveAndInvoice)
// from its functions menu: the order is saved and the buffer it opens takes the next steps.
void TScenarioRunner::Operation(const TScenarioStep& step) {
    if (!order_) throw EStepFailed("няма поръчка");
    if (buffer_ != nullptr) ReopenOrder();
    const std::pair<const char*, TAction*> actions[] = {
        {"Receive", &order_->acReceive}, {"Return", &order_->acReturn}, {"Reject", &order_->acReject},
        {"Invoice", &order_->acInvoice}, {"ReceiveAndInvoice", &order_->acReceiveAndInvoice}};
    const std::string& name = Required(step, "Name");
    TAction* action = nullptr;
    for (const auto& [caption, candidate] : actions)
        if (name == caption) action = candidate;
    if (action == nullptr) throw EStepFailed("няма операция " + name);
    buffer_ = nullptr;
    host_.TakeMessages();
    const size_t logged = dm().ErrorLog().Entries().size();
    action->Execute();
    for (TfBase* form : host_.OpenForms())
        if (auto* buffer = dynamic_cast<TfEdPurchOrderBufer*>(form); buffer != nullptr && !buffer->Closed()) buffer_ = buffer;
    std::string shown;
    for (const std::string& message : host_.TakeMessages()) shown += " | " + message;
    const auto& log = dm().ErrorLog().Entries();
    for (size_t i = logged; i < log.size(); ++i) shown += " | " + log[i].Operation + ": " + log[i].Message;
    if (buffer_ == nullptr) throw EStepFailed("буферът не е отворен" + shown);
    SetFields(buffer_->cdsMaster, step.Pairs.size() > 1 ? std::vector<TScenarioPair>(step.Pairs.begin() + 1, step.Pairs.end())
                                                        : std::vector<TScenarioPair>{});
}

// The buffer posted through its action: it is gone and the order shows what it did.
std::string TScenarioRunner::PostBuffer(const TScenarioStep& step) {
    const std::string id = buffer_->cdsMaster.FieldByName("Id").AsString();
    host_.TakeMessages();
    buffer_->acPostDocument.Execute();
    std::string shown;
    for (const std::string& message : host_.TakeMessages()) shown += (shown.empty() ? "" : " | ") + message;
    const bool posted = !store_.Select("SELECT Id FROM D_PurchReceiptHeader WHERE SrcDocument_Id = ?1 UNION ALL "
                                            "SELECT Id FROM D_PostPurchOrderHeader WHERE SrcDocument_Id = ?1 UNION ALL "
                                            "SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = ?1",
                                            {id})
                             .Empty();
    const std::string* refused = step.Find("Refused");
    if (refused == nullptr) return posted ? "" : "не е осчетоводен: " + shown;
    if (posted) return "осчетоводен въпреки очаквания отказ " + *refused;
    const std::string text = server_.GetMessageText(*refused);
    return !text.empty() && shown.find(text) != std::string::npos ? "" : "показано: " + shown;
}

// What belongs to the order: its lines, the documents posted from its buffers and their entries.
std::string TScenarioRunner::OrderScope(const std::string& table) const {
    if (table == "D_PurchHeader") return "Id = ?";
    if (table == "D_PurchaseLine") return "Master_Id = ?";
    if (table == "D_PurchOrderBufHeader") return "AppliesToDoc_Id = ?";
    if (table == "D_PurchOrderBufLine") return "Master_Id IN (SELECT Id FROM D_PurchOrderBufHeader WHERE AppliesToDoc_Id = ?)";
    const char* posted[][2] = {{"D_PurchReceiptHeader", "D_PurchReceiptLine"},
                               {"D_PostPurchOrderHeader", "D_PostPurchOrderLine"},
                               {"D_PurchInvoiceHeader", "D_PurchInvoiceLine"}};
    for (const auto& [header, line] : posted) {
        if (table == header) return "AppliesToDoc_Id = ?";
        if (table == line) return std::string("Master_Id IN (SELECT Id FROM ") + header + " WHERE AppliesToDoc_Id = ?)";
    }
    return "Document_Id IN (SELECT Id FROM (SELECT Id, AppliesToDoc_Id FROM D_PurchReceiptHeader UNION ALL SELECT Id, "
           "AppliesToDoc_Id FROM D_PostPurchOrderHeader UNION ALL SELECT Id, AppliesToDoc_Id FROM D_PurchInvoiceHeader) "
           "AS d WHERE d.AppliesToDoc_Id = ?)";
}

// Every transaction balances, and payables and stock agree with their accounts.
std::string TScenarioRunner::ExpectBooksBalanced() {
    const std::vector<std::string> differences =
        server::TBooksCheck([this](const std::string& sql, const TVariantArray& values) {
            return store_.Select(sql, values);
        }).Differences();
    std::string text;
    for (const std::string& difference : differences) text += (text.empty() ? "" : "; ") + difference;
    return text;
}

// The posted view of the posted invoice, or of the posted credit memo after "credit".
std::unique_ptr<TfBase> TScenarioRunner::OpenPostedView(const std::string& documentId) {
    std::unique_ptr<TfBase> view;
    if (crMemo_) view = std::make_unique<TfEdPostedPurchCrMemo>();
    else view = std::make_unique<TfEdPostedPurchInvoice>();
    view->FormNumber = FindCatalogueClass(view->ClassName())->FormNumber;
    TFormRequest request;
    request.Filter.Add(PostedTable() + ".Id", "=", documentId);
    view->Create(request);
    view->Show();
    return view;
}

// The VAT protocol of the posted document, made by its posted view's action, which opens the
// protocol in its editor. With Refused=KEY the server must refuse with that key's message.
std::string TScenarioRunner::Protocol(const TScenarioStep& step) {
    if (!protocolSource_) {
        const std::string documentId = PostedId();
        if (documentId.empty()) throw EStepFailed("няма осчетоводен документ за протокол");
        protocolSource_ = OpenPostedView(documentId);
    }
    host_.TakeMessages();
    host_.TakeExternalRequests();
    if (auto* invoice = dynamic_cast<TfEdPostedPurchInvoice*>(protocolSource_.get()))
        invoice->acGeneratePurchProtocol.Execute();
    else
        static_cast<TfEdPostedPurchCrMemo&>(*protocolSource_).acGeneratePurchCrMemoProtocol.Execute();
    std::string shown;
    for (const std::string& message : host_.TakeMessages()) shown += (shown.empty() ? "" : " | ") + message;
    std::vector<TFormRequest> requests = host_.TakeExternalRequests();
    if (const std::string* refused = step.Find("Refused")) {
        if (!requests.empty()) return "създаден протокол въпреки очаквания отказ " + *refused;
        return server_.LastRefusalText() == server_.GetMessageText(*refused) ? "" : "отказ: " + server_.LastRefusalText();
    }
    if (requests.size() != 1) return "протоколът не е отворен: " + shown;
    // The protocol editors belong to another package; the runner opens the one asked for.
    protocol_ = crMemo_ ? std::make_unique<TfEdPurchCrMemoProtocol>() : std::make_unique<TfEdPurchProtocol>();
    protocol_->FormNumber = requests[0].FormNumber;
    protocol_->Create(requests[0]);
    protocol_->Show();
    if (protocol_->cdsMaster.IsEmpty()) return "протоколът не е намерен";
    openId_ = protocol_->cdsMaster.FieldByName("Id").AsString();
    return "";
}

std::string ResultLine(const std::string& file, const TScenarioResult& result) {
    std::string line = (result.Ok ? "ok   " : "FAIL ") + file + (result.LineNo > 0 ? ":" + std::to_string(result.LineNo) : "") +
                       " " + result.Step;
    return result.Ok ? line : line + ": " + result.Difference;
}

}  // namespace tavrek::scenario

namespace tavrek::scenario {

// "analysis PAGE DateFrom=.. DateTo=.. [ItemCode=..] KEY=VALUE ...": the view of the analysis
// form for the period, as a buyer opens it; the first pair after the parameters picks its row
// and every further one must match. Rows=N counts the view's rows instead.
std::string TScenarioRunner::ExpectAnalysis(const TScenarioStep& step) {
    TfBrPurchAnalysis form;
    form.Create();
    form.Show();
    std::vector<TScenarioPair> expected;
    form.cdsParams.Edit();
    for (const TScenarioPair& pair : step.Pairs) {
        if (pair.Key == "DateFrom" || pair.Key == "DateTo" || pair.Key == "ItemCode") {
            if (!form.EnterFieldValue(form.cdsParams, form.cdsParams.FieldByName(pair.Key), Variant(pair.Value)))
                throw EStepFailed("стойността на " + pair.Key + " не е приета");
        } else {
            expected.push_back(pair);
        }
    }
    if (form.cdsParams.State() != TDataSetState::dsBrowse) form.cdsParams.Post();
    form.Description.ShownPage = step.Table;
    form.acRefresh.Execute();
    TClientDataSet& rows = form.RowsOf(step.Table);
    if (expected.empty()) throw EStepFailed("няма стойности");
    if (expected[0].Key == "Rows") {
        const Variant count(rows.RecordCount());
        return Matches(count, expected[0].Value) ? "" : Differs("Rows", count, expected[0].Value);
    }
    rows.First();
    while (!rows.Eof() && !Matches(rows.FieldByName(expected[0].Key).Value(), expected[0].Value)) rows.Next();
    if (rows.Eof()) return "няма ред с " + expected[0].Key + "=" + expected[0].Value;
    std::string difference;
    for (size_t i = 1; i < expected.size(); ++i) {
        const Variant actual = rows.FieldByName(expected[i].Key).Value();
        if (!Matches(actual, expected[i].Value))
            difference += (difference.empty() ? "" : ", ") + Differs(expected[i].Key, actual, expected[i].Value);
    }
    return difference;
}

}  // namespace tavrek::scenario
