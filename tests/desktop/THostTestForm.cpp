#include "THostTestForm.h"

#include "base/ui/Messages.h"

namespace tavrek::desktop::testing {

THostTestForm::THostTestForm()
    : acClearLines(AcListBase.Add("acClearLines", "Изчистване на редовете", "Редове")),
      acWalkLines(AcListBase.Add("acWalkLines", "Обхождане", "Редове")) {
    AddDataSet({&cdsLines, "", nullptr, "", "Id", true});
    AddGrid(dbgLines);
    dbgLines.Caption = "Редове";
    AddTimer(tmrPanel);
    Description.Caption = "Тестов документ";
    Description.AddPage("tsMain", "Основни");
    Description.AddPage("tsOther", "Други");
    Description.AddField("DocNo", "Номер", TFieldKind::fkText);
    Description.AddField("Total", "Сума", TFieldKind::fkNumber).ReadOnly = true;
    Description.AddField("Discount", "Отстъпка", TFieldKind::fkNumber).DisplayFormat = "0.00";
    Description.AddField("DocDate", "Дата", TFieldKind::fkDate, "tsMain");
    Description.AddField("Closed", "Приключен", TFieldKind::fkFlag, "tsMain");
    Description.AddField("Kind", "Вид", TFieldKind::fkCombo, "tsOther").Items = {"A", "B"};
    dbgLines.AddColumn("Code", "Код");
    dbgLines.AddColumn("Quantity", "Количество");
    dbgLines.AddColumn("Price", "Цена").ReadOnly = true;
    TGridColumn& amount = dbgLines.AddColumn("Amount", "Сума");
    amount.ReadOnly = true;
    amount.FooterAggregate = "SumAmount";
    dbgLines.MultiSelect = true;
    pFloat.Visible = true;
    BindAction(acClearLines, "acClearLinesExecute", [this] {
        if (AskYesNoKey("que_ClearLines", "Да бъдат ли изтрити всички редове?")) cdsLines.EmptyDataSet();
    });
    acClearLines.OnUpdate = [this](TAction& a) { a.Enabled = cdsLines.Active() && !cdsLines.IsEmpty(); };
    BindAction(acWalkLines, "acWalkLinesExecute", [this] {
        ForEachRecord(cdsLines, [this] {
            if (OnWalkStep) OnWalkStep();
        });
    });
    pmLine.Add("miClearLines", acClearLines);
    pmLine.AddSeparator();
    pmLine.Add("miOwn", "Собствен", [this] { OwnItemClicked = true; });
    tmrPanel.OnTimer = [this] {
        tmrPanel.Enabled = false;
        pFloat.Text = "Ред: " + cdsLines.FieldByName("Code").AsString();
    };
}

void THostTestForm::BuildDataSets() {
    cdsMaster.AddField("DocNo", TFieldType::ftString);
    cdsMaster.AddField("Total", TFieldType::ftFloat);
    cdsMaster.AddField("Discount", TFieldType::ftFloat);
    cdsMaster.AddField("DocDate", TFieldType::ftDateTime);
    cdsMaster.AddField("Closed", TFieldType::ftInteger);
    cdsMaster.AddField("Kind", TFieldType::ftString);
    cdsMaster.CreateDataSet();
    cdsMaster.AppendLoaded({"Ф-1", 0.0, 0.0, TDateTime::FromDate(2026, 3, 1), int64_t{0}, "A"});
    cdsLines.AddField("Code", TFieldType::ftString);
    cdsLines.AddField("Quantity", TFieldType::ftFloat);
    cdsLines.AddField("Price", TFieldType::ftFloat);
    cdsLines.AddField("Amount", TFieldType::ftFloat);
    cdsLines.CreateDataSet();
    cdsLines.AddAggregate("SumAmount", "SUM(Amount)");
    for (const char* code : {"A", "B", "C"}) cdsLines.AppendLoaded({code, 1.0, 2.5, 2.5});
    cdsLines.First();
    cdsLines.FieldByName("Quantity").OnChange = [this](TField& quantity) {
        cdsLines.FieldByName("Amount").SetAsFloat(quantity.AsFloat() * cdsLines.FieldByName("Price").AsFloat());
    };
    cdsLines.AfterPost = [this](TClientDataSet&) {
        cdsMaster.Edit();
        cdsMaster.FieldByName("Total").SetValue(cdsLines.AggregateValue("SumAmount"));
    };
    cdsLines.AfterScroll = [this](TClientDataSet&) { tmrPanel.Enabled = true; };
}

void THostTestForm::FormShow() {
    BuildDataSets();
    TfBase::FormShow();
}

}  // namespace tavrek::desktop::testing
