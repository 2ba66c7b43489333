#include "reports/uVATPurchaseLedger.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "base/forms/IFormHost.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TPrintRequest.h"
#include "base/forms/TWaitCursor.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

constexpr const char* kAmountFormat = "0.00";

// The month before today: the period an accountant files in the first days of the next.
std::string PreviousPeriod() {
    int year = 0, month = 0, day = 0;
    TDateTime::Today().DecodeDate(year, month, day);
    if (--month == 0) {
        month = 12;
        --year;
    }
    return std::to_string(year * 100 + month);
}

std::string DefaultFolder() {
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/Documents/Tavrek";
}

double Amount(int64_t cents) { return static_cast<double>(cents) / 100.0; }

std::string CountText(size_t count) { return std::to_string(count); }

}  // namespace

TfVATPurchaseLedger::TfVATPurchaseLedger()
    : acCompute(AcListBase.Add("acCompute", "Изчисляване", "Функции")),
      acWriteFiles(AcListBase.Add("acWriteFiles", "Запис на файлове", "Функции")) {
    Description.Caption = "Дневник за покупките";
    HidePostingActions();
    for (TAction* hidden : {&acSave, &acInsertRecord, &acDeleteRecord, &acReCalcDocument, &acAnnulDocument,
                            &acSetCurrencyFactor, &acRefresh})
        hidden->Visible = false;
    acCompute.ShortCut = "F5";
    BindAction(acCompute, "acComputeExecute", [this] { acComputeExecute(); });
    BindAction(acWriteFiles, "acWriteFilesExecute", [this] { acWriteFilesExecute(); });
    acWriteFiles.OnUpdate = [this](TAction& a) { a.Enabled = computed_ && !report_.Entries.empty(); };
    acPrint.OnUpdate = [this](TAction& a) { a.Enabled = computed_ && HasRight(TFormRight::frPrint); };
    AddParameterFields();
    AddGrids();
}

void TfVATPurchaseLedger::AddParameterFields() {
    for (const char* name : {"Period", "FilingPerson", "Folder"}) cdsParams.AddField(name, TFieldType::ftString);
    cdsParams.AddField("ProRata", TFieldType::ftFloat);
    cdsParams.CreateDataSet();
    cdsParams.Append();
    cdsParams.FieldByName("Period").SetAsString(PreviousPeriod());
    cdsParams.FieldByName("Folder").SetAsString(DefaultFolder());
    cdsParams.FieldByName("ProRata").SetAsFloat(0.0);
    cdsParams.Post();
    AddDataSet({&cdsParams, "", nullptr, "", "Id", false});
    Description.AddFields({
        {"Period", "Данъчен период (ггггмм)", TFieldKind::fkText, ""},
        {"ProRata", "Коефициент, клетка 33", TFieldKind::fkNumber, ""},
        {"FilingPerson", "Подал декларацията", TFieldKind::fkText, ""},
        {"Folder", "Папка за файловете", TFieldKind::fkText, ""},
    });
    for (THeaderField& field : Description.Fields) field.DataSet = cdsParams.Name;
}

void TfVATPurchaseLedger::AddGrids() {
    Description.AddPage("tsLedger", "Дневник");
    Description.AddPage("tsProblems", "Документи с проблеми");
    Description.AddPage("tsDeclaration", "Декларация");
    for (const char* name : {"DocumentType", "DocumentNo", "VendorNumber", "VendorName", "Description", "Document_Id"})
        cdsMaster.AddField(name, TFieldType::ftString);
    cdsMaster.AddField("SequenceNo", TFieldType::ftInteger);
    cdsMaster.AddField("DocumentDate", TFieldType::ftDateTime);
    for (const char* name : {"Col09", "Col10", "Col11", "Col12", "Col13", "Col14", "Col15"})
        cdsMaster.AddField(name, TFieldType::ftFloat);
    cdsMaster.CreateDataSet();
    cdsMaster.LogChanges = false;
    dbgMaster.Page = "tsLedger";
    dbgMaster.ReadOnly = true;
    // Captions as the official form numbers its columns, short enough for a page across.
    dbgMaster.AddColumns({{"SequenceNo", "№", 40}, {"DocumentType", "Вид", 35}, {"DocumentNo", "Документ №", 100},
                          {"DocumentDate", "Дата", 85}, {"VendorNumber", "ИН / ЕИК", 105},
                          {"VendorName", "Доставчик", 180}, {"Description", "Стока / услуга", 140},
                          {"Col09", "09 Без ДК", 80, kAmountFormat}, {"Col10", "10 ДО пълен ДК", 85, kAmountFormat},
                          {"Col11", "11 ДДС пълен ДК", 85, kAmountFormat}, {"Col12", "12 ДО частичен", 85, kAmountFormat},
                          {"Col13", "13 ДДС частичен", 85, kAmountFormat}, {"Col14", "14 Корекция", 80, kAmountFormat},
                          {"Col15", "15 Тристранна", 80, kAmountFormat}});
    for (const char* name : {"DocumentNo", "VendorDocumentNo", "VendorName", "Reason", "Document_Id"})
        cdsProblems.AddField(name, TFieldType::ftString);
    cdsProblems.AddField("DocumentDate", TFieldType::ftDateTime);
    cdsProblems.CreateDataSet();
    cdsProblems.LogChanges = false;
    dbgProblems.Page = "tsProblems";
    dbgProblems.ReadOnly = true;
    dbgProblems.AddColumns({{"DocumentNo", "Наш номер", 90}, {"VendorDocumentNo", "Номер на доставчика", 110},
                            {"DocumentDate", "Дата", 75}, {"VendorName", "Доставчик", 180}, {"Reason", "Причина", 320}});
    AddDataSet({&cdsProblems, "", nullptr, "", "Id", false});
    AddGrid(dbgProblems);
    for (const char* name : {"Cell", "Caption"}) cdsDeclaration.AddField(name, TFieldType::ftString);
    cdsDeclaration.AddField("Amount", TFieldType::ftFloat);
    cdsDeclaration.CreateDataSet();
    cdsDeclaration.LogChanges = false;
    dbgDeclaration.Page = "tsDeclaration";
    dbgDeclaration.ReadOnly = true;
    dbgDeclaration.AddColumns({{"Cell", "Клетка", 60}, {"Caption", "Съдържание", 360}, {"Amount", "Стойност", 100, kAmountFormat}});
    AddDataSet({&cdsDeclaration, "", nullptr, "", "Id", false});
    AddGrid(dbgDeclaration);
}

bool TfVATPurchaseLedger::ReadParameters(int& period, int& proRata) {
    if (cdsParams.State() != TDataSetState::dsBrowse) cdsParams.Post();
    period = uVATLedgerRows::ParsePeriod(Trim(cdsParams.FieldByName("Period").AsString()));
    if (period == 0) {
        ShowErrorKey("err_VATLedgerPeriod", "Данъчният период трябва да е във вида ггггмм, например 202511.");
        return false;
    }
    const double coefficient = cdsParams.FieldByName("ProRata").AsFloat();
    if (!(coefficient >= 0.0 && coefficient <= 1.0)) {
        ShowErrorKey("err_VATLedgerProRata", "Коефициентът в клетка 33 трябва да е между 0,00 и 1,00.");
        return false;
    }
    proRata = static_cast<int>(std::lround(coefficient * 100.0));
    return true;
}

void TfVATPurchaseLedger::acComputeExecute() {
    RequireRight(TFormRight::frOpen);
    int period = 0, proRata = 0;
    if (!ReadParameters(period, proRata)) return;
    {
        TWaitCursor wait;
        report_ = uVATLedgerReport::ReadLedger(dm().Server(), period);
        report_.Filing.ProRata = proRata;
        const std::string person = Trim(cdsParams.FieldByName("FilingPerson").AsString());
        if (!person.empty()) report_.Filing.FilingPerson = person;
        cdsParams.Edit();
        cdsParams.FieldByName("FilingPerson").SetAsString(report_.Filing.FilingPerson);
        cdsParams.Post();
        computed_ = true;
        ShowReport();
    }
    std::string text = FormatMessage(GetMessageText("msg_VATLedgerComputed", "Дневник за покупките за %s: документи %s."),
                                     {std::to_string(period), CountText(report_.Entries.size() - report_.ProblemCount())});
    if (report_.ProblemCount() != 0)
        text += "\r\n" + FormatMessage(GetMessageText("msg_VATLedgerProblems",
                                                       "Документи, които не могат да влязат в дневника: %s."),
                                        {CountText(report_.ProblemCount())});
    MessageDlgEx(text, report_.ProblemCount() == 0 ? TMsgDlgType::mtInformation : TMsgDlgType::mtWarning, mbOK);
}

void TfVATPurchaseLedger::ShowReport() {
    ShowRecords();
    ShowProblems();
    ShowDeclaration();
    UpdateFooters();
}

void TfVATPurchaseLedger::ShowRecords() {
    cdsMaster.DisableControls();
    cdsMaster.EmptyDataSet();
    int64_t sequence = 0;
    TVATLedgerAmounts sum;
    for (const TVATLedgerEntry& entry : report_.Entries) {
        if (!entry.ProblemKey.empty()) continue;
        const TVATLedgerRecord& r = entry.Record;
        const TVATLedgerAmounts& a = r.Amounts;
        sum += a;
        cdsMaster.Append();
        cdsMaster.FieldByName("SequenceNo").SetAsInteger(++sequence);
        cdsMaster.FieldByName("DocumentType").SetAsString(r.DocumentType);
        cdsMaster.FieldByName("DocumentNo").SetAsString(r.DocumentNo);
        cdsMaster.FieldByName("DocumentDate").SetValue(Variant(r.DocumentDate));
        cdsMaster.FieldByName("VendorNumber").SetAsString(r.VendorNumber);
        cdsMaster.FieldByName("VendorName").SetAsString(r.VendorName);
        cdsMaster.FieldByName("Description").SetAsString(r.Description);
        cdsMaster.FieldByName("Document_Id").SetAsString(entry.Source.DocumentId);
        const int64_t columns[] = {a.NoCredit, a.FullBase, a.FullVAT, a.PartialBase, a.PartialVAT, a.Adjustment, a.Triangular};
        const char* names[] = {"Col09", "Col10", "Col11", "Col12", "Col13", "Col14", "Col15"};
        for (size_t i = 0; i < 7; ++i) cdsMaster.FieldByName(names[i]).SetAsFloat(Amount(columns[i]));
        cdsMaster.Post();
    }
    const int64_t totals[] = {sum.NoCredit, sum.FullBase, sum.FullVAT, sum.PartialBase, sum.PartialVAT, sum.Adjustment,
                              sum.Triangular};
    for (size_t i = 0; i < 7; ++i)
        dbgMaster.Columns[7 + i].FooterText = NumberText(Amount(totals[i]), 2);
    dbgMaster.Columns[0].FooterText = "Общо";
    cdsMaster.First();
    cdsMaster.EnableControls();
}

void TfVATPurchaseLedger::ShowProblems() {
    cdsProblems.EmptyDataSet();
    for (const TVATLedgerEntry& entry : report_.Entries) {
        if (entry.ProblemKey.empty()) continue;
        cdsProblems.Append();
        cdsProblems.FieldByName("DocumentNo").SetAsString(entry.Source.DocumentNo);
        cdsProblems.FieldByName("VendorDocumentNo").SetAsString(entry.Record.DocumentNo);
        cdsProblems.FieldByName("DocumentDate").SetValue(Variant(entry.Record.DocumentDate));
        cdsProblems.FieldByName("VendorName").SetAsString(entry.Source.VendorName);
        cdsProblems.FieldByName("Reason").SetAsString(GetMessageText(entry.ProblemKey, entry.ProblemKey));
        cdsProblems.FieldByName("Document_Id").SetAsString(entry.Source.DocumentId);
        cdsProblems.Post();
    }
    dbgProblems.Columns[0].FooterText = CountText(report_.ProblemCount());
    cdsProblems.First();
}

void TfVATPurchaseLedger::ShowDeclaration() {
    const TVATDeclarationCells c = uVATLedgerLayout::DeclarationCells(report_.Filing, report_.Records());
    const std::tuple<const char*, const char*, double> cells[] = {
        {"00-06", "Брой записи в дневника за покупките", static_cast<double>(c.Records)},
        {"30", "Данъчна основа и ДДС на получени доставки без право на ДК", Amount(c.Cell30)},
        {"31", "Данъчна основа на доставки с право на пълен ДК", Amount(c.Cell31)},
        {"41", "ДДС с право на пълен ДК", Amount(c.Cell41)},
        {"32", "Данъчна основа на доставки с право на частичен ДК", Amount(c.Cell32)},
        {"42", "ДДС с право на частичен ДК", Amount(c.Cell42)},
        {"43", "Годишна корекция по чл. 73, ал. 8", Amount(c.Cell43)},
        {"33", "Коефициент по чл. 73, ал. 5", c.ProRata / 100.0},
        {"40", "Общо данъчен кредит (41 + 42 × 33 + 43)", Amount(c.Cell40)},
        {"50", "ДДС за внасяне (без продажбите)", Amount(c.Cell50)},
        {"60", "ДДС за възстановяване (без продажбите)", Amount(c.Cell60)},
    };
    cdsDeclaration.EmptyDataSet();
    for (const auto& [cell, caption, amount] : cells) {
        cdsDeclaration.Append();
        cdsDeclaration.FieldByName("Cell").SetAsString(cell);
        cdsDeclaration.FieldByName("Caption").SetAsString(caption);
        cdsDeclaration.FieldByName("Amount").SetAsFloat(amount);
        cdsDeclaration.Post();
    }
    cdsDeclaration.First();
}

void TfVATPurchaseLedger::acWriteFilesExecute() {
    if (!computed_) return ShowErrorKey("err_VATLedgerNotComputed", "Данните за периода не са прочетени.");
    if (report_.ProblemCount() != 0 &&
        MessageDlgEx(FormatMessage(GetMessageText("que_VATLedgerLeaveOut", "Документи, които не могат да влязат в "
                                                                           "дневника: %s. Да се запишат файловете без тях?"),
                                   {CountText(report_.ProblemCount())}),
                     TMsgDlgType::mtConfirmation, mbYesNo) != mrYes)
        return ShowInfoKey("msg_VATLedgerNotWritten", "Файловете не са записани.");
    if (cdsParams.State() != TDataSetState::dsBrowse) cdsParams.Post();
    const std::string folder = Trim(cdsParams.FieldByName("Folder").AsString());
    try {
        TWaitCursor wait;
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        uVATLedgerReport::WriteFiles(report_, folder);
    } catch (const std::exception&) {
        return ShowErrorKey("err_VATLedgerFolder", "Файловете не могат да бъдат записани в папка " + folder + ".");
    }
    MessageDlgEx(FormatMessage(GetMessageText("msg_VATLedgerWritten", "Записани са POKUPKI.TXT и DEKLAR.TXT в %s."), {folder}),
                 TMsgDlgType::mtInformation, mbOK);
}

void TfVATPurchaseLedger::acPrintExecute() {
    RequireRight(TFormRight::frPrint);
    IFormHost* host = Host();
    if (host == nullptr || !computed_) return;
    Description.Caption = "Дневник за покупките, период " + report_.Filing.Period + " — " + report_.Filing.CompanyName +
                          ", ИН по ЗДДС " + report_.Filing.VATNumber;
    TPrintRequest request;
    request.Form = this;
    request.FormClass = ClassName();
    request.FormNumber = FormNumber;
    request.Landscape = true;
    host->PrintDocument(request);
    Description.Caption = "Дневник за покупките";
}

namespace uVATPurchaseLedger {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfVATPurchaseLedger", TfVATPurchaseLedger::kFormNumber,
                      [] { return std::make_unique<TfVATPurchaseLedger>(); }, "Дневник за покупките", TFormGroup::fgReports);
}

void Finalization() { ++initializationCounter; }

}  // namespace uVATPurchaseLedger
}  // namespace tavrek
