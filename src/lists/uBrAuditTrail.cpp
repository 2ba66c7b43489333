#include "lists/uBrAuditTrail.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/session/LocalData.h"

namespace tavrek {

TfBrAuditTrail::TfBrAuditTrail() {
    MasterProvider = "S_AuditTrail";
    MasterTable = "S_AuditTrail";
    Description.Caption = "Журнал на промените";
    DateField = "S_AuditTrail.C_Datetime";
    SearchFields = {"S_AuditTrail.Document_Id", "S_AuditTrail.User_Id", "S_AuditTrail.TableName",
                    "S_AuditTrail.FieldName"};
    HidePostingActions();
    for (TAction* action : {&acInsertRecord, &acDeleteRecord, &acEditRecord, &acSave, &acPrint})
        action->Visible = false;
    dbgMaster.AddColumns({{"C_Datetime", "Дата и час", 130, "dd.mm.yyyy hh:nn:ss"},
                          {"User_Id", "Потребител", 90, ""},
                          {"Action", "Действие", 110, ""},
                          {"Document_Id", "Документ", 140, ""},
                          {"TableName", "Таблица", 130, ""},
                          {"Record_Id", "Запис", 140, ""},
                          {"FieldName", "Поле", 120, ""},
                          {"OldValue", "Стара стойност", 120, ""},
                          {"NewValue", "Нова стойност", 120, ""}});
}

void TfBrAuditTrail::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    if (Filter.Empty()) Filter.Add("S_AuditTrail.Comp_Id", "=", LocalData().CompanyId);
}

namespace uBrAuditTrail {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrAuditTrail");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrAuditTrail>(); },
                      entry.Caption, TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrAuditTrail

}  // namespace tavrek
