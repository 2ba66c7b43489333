#include "documents/uVendorDocumentReceiver.h"

#include <vector>

#include "base/errors/TELException.h"
#include "base/forms/TWaitCursor.h"
#include "base/partner/ITavrekAPI.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "documents/uVendorDocumentImport.h"
#include "documents/uVendorItemMapping.h"

namespace tavrek {

namespace {

void SetIfPresent(TClientDataSet& ds, const std::string& field, const Variant& value) {
    if (TField* f = ds.FindField(field)) f->SetValue(value);
}

}  // namespace

TVendorDocumentReceiver::TVendorDocumentReceiver(TClientDataSet& header, TClientDataSet& lines, bool& calculating)
    : header_(header), lines_(lines), calculating_(calculating) {}

// The connection of the vendor for the document's business group comes before the vendor's general one.
bool TVendorDocumentReceiver::Connect(TConnection& connection) {
    const TLocalData& session = LocalData();
    TRequestResult found;
    for (bool byGroup : {true, false}) {
        TFilter filter;
        filter.Add("N_PartnerConnectionList.Comp_id", "=", session.CompanyId, "AND")
            .Add("N_PartnerConnectionList.Contragent_Id", "=", FieldValue(header_, "Contragent_id"),
                 byGroup ? "AND" : "");
        if (byGroup)
            filter.Add("N_PartnerConnectionList.BusinessGroup_Id", "=", FieldValue(header_, "BusinessGroup_Id"));
        if (dm().Server().RequestValue(0, "N_PartnerConnectionList", "URLAddress,UserName,Password,ValidUntil", filter,
                                       found) > 0)
            break;
    }
    if (found.Empty()) {
        ShowErrorKey("err_GetPartnerConnList", "Няма настроена връзка с услугата на доставчика.");
        return false;
    }
    const Variant validUntil = found.ByName("ValidUntil");
    if (!validUntil.IsNull() && validUntil.AsDateTime().DateOnly() < TDateTime::Today()) {
        ShowErrorKey("err_PartnerConnectionExpired", "Връзката с услугата на доставчика е изтекла.");
        return false;
    }
    connection = {found.ByName("URLAddress").AsString(), found.ByName("UserName").AsString(),
                  found.ByName("Password").AsString()};
    return true;
}

bool TVendorDocumentReceiver::ListDocuments(TRequestResult& documents) {
    TConnection connection;
    if (!Connect(connection)) return false;
    std::vector<std::string> problems;
    try {
        documents = GetITavrekAPI(connection.Url, connection.UserName, connection.Password)->GetDocuments(problems);
    } catch (const EPartnerError& e) {
        MessageDlgEx(e.what(), TMsgDlgType::mtError, mbOK);
        return false;
    }
    for (const std::string& problem : problems) MessageDlgEx(problem, TMsgDlgType::mtWarning, mbOK);
    return true;
}

bool TVendorDocumentReceiver::ChooseDocument(TRequestResult& documents, int& chosen) {
    if (FieldValue(header_, "Contragent_Id").IsEmpty()) {
        ShowErrorKey("err_NoCntrFound_A1Service", "Изберете доставчик на документа.");
        return false;
    }
    if (!ListDocuments(documents)) return false;
    chosen = -1;
    return !documents.Empty() && dm().Dialogs().ChooseRow("Документи на доставчика", documents, chosen);
}

bool TVendorDocumentReceiver::Fetch(const std::string& documentNo, TUblInvoice& document) {
    TConnection connection;
    if (!Connect(connection)) return false;
    try {
        document = GetITavrekAPI(connection.Url, connection.UserName, connection.Password)->GetDocument(documentNo);
    } catch (const EPartnerError& e) {
        MessageDlgEx(e.what(), TMsgDlgType::mtError, mbOK);
        return false;
    }
    return true;
}

// Every item is found before the document changes, so a failed lookup leaves it as it was.
bool TVendorDocumentReceiver::Import(const TUblInvoice& document, const std::string& numberField) {
    TWaitCursor wait;
    TVendorItemMapping items(document, FieldValue(header_, "N_Contragent_Code").AsString());
    if (!MapItems(items)) return false;
    CopyHeader(document, numberField);
    TVendorDocumentImport import(document, items);
    import.AppendLines(header_, lines_, calculating_);
    ShowSummary(import, items);
    return true;
}

bool TVendorDocumentReceiver::MapItems(TVendorItemMapping& items) {
    try {
        items.FindItems();
        return items.AskForMissing();
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TVendorDocumentReceiver.MapItems");
        ShowErrorKey("err_GettingItemInfoFromVendor", "Грешка при извличане на данни за артикул от доставчик.");
        return false;
    }
}

void TVendorDocumentReceiver::CopyHeader(const TUblInvoice& document, const std::string& numberField) {
    header_.Edit();
    header_.FieldByName(numberField).SetAsString(document.DocumentNo);
    header_.FieldByName("PriceIncludingVAT").SetAsInteger(0);
    header_.FieldByName("DocumentDate").SetValue(Variant(document.DocumentDate));
    if (document.HasDueDate) SetIfPresent(header_, "DueDate", Variant(document.DueDate));
    const std::string& currency = document.Currency;
    header_.FieldByName("Currency_Id").SetAsString(currency == LocalData().LocalCurrencyId ? "" : currency);
    header_.FieldByName("Comment").SetAsString(document.Comment);
    // A credit memo names the vendor's invoice it corrects.
    if (!document.CreditedInvoiceNo.empty()) SetIfPresent(header_, "ToInvoiceNo", Variant(document.CreditedInvoiceNo));
    if (document.HasCreditedInvoiceDate) SetIfPresent(header_, "InvoiceDate", Variant(document.CreditedInvoiceDate));
}

void TVendorDocumentReceiver::WarnMissingItems(const TVendorItemMapping& items) {
    const std::string missing = items.MissingList();
    if (!missing.empty())
        MessageDlgEx(GetMessageText("err_MissingItemsFromAPI", "Следните артикули не бяха намерени в базата данни:") + missing,
                     TMsgDlgType::mtWarning, mbOK);
}

void TVendorDocumentReceiver::ShowSummary(const TVendorDocumentImport& import, const TVendorItemMapping& items) {
    WarnMissingItems(items);
    std::string summary = import.PaymentSummary();
    if (!import.Differences().empty())
        summary += "\r\n" + GetMessageText("inf_VendorRoundingKept", "Закръгляне на доставчика (сумите му са запазени):") +
                   import.DifferencesText();
    MessageDlgEx(summary, TMsgDlgType::mtInformation, mbOK);
}

}  // namespace tavrek
