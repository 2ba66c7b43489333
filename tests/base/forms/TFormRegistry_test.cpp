#include <gtest/gtest.h>

#include "base/forms/EFormError.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

TFormFactory TestDocumentFactory() {
    return [] { return std::make_unique<TfTestDocument>(); };
}

TEST_F(FormTest, RegistryRefusesSecondClassOrNumberAndKeepsOrder) {
    EXPECT_TRUE(RegisterFormClass("TfB", 2, TestDocumentFactory(), "Б", TFormGroup::fgLists));
    EXPECT_TRUE(RegisterFormClass("TfA", 1, TestDocumentFactory(), "А", TFormGroup::fgSetup));
    EXPECT_FALSE(RegisterFormClass("tfa", 3, TestDocumentFactory(), "А2", TFormGroup::fgSetup));
    EXPECT_FALSE(RegisterFormClass("TfC", 2, TestDocumentFactory(), "В", TFormGroup::fgSetup));
    std::vector<std::string> names;
    for (const TFormClassInfo& info : FormRegistry().Classes()) names.push_back(info.ClassName);
    EXPECT_EQ(names, (std::vector<std::string>{"TfB", "TfA"}));
    EXPECT_EQ(FormRegistry().FindClass("TFA")->FormNumber, 1);
    EXPECT_EQ(FormRegistry().FindNumber(2)->Group, TFormGroup::fgLists);
}

TEST_F(FormTest, CreateFormSetsNumberAndRefusesUnknownNumberWithMessage) {
    RegisterFormClass("TfTestDocument", 10201, TestDocumentFactory(), "Тестов документ", TFormGroup::fgDocuments);
    const std::unique_ptr<TfBase> form = FormRegistry().CreateForm(10201);
    EXPECT_EQ(form->ClassName(), "TfTestDocument");
    EXPECT_EQ(form->FormNumber, 10201);
    EXPECT_EQ(form->Description.Caption, "Тестов документ");
    try {
        FormRegistry().CreateForm(999);
        FAIL() << "an unknown number must be refused";
    } catch (const EFormError& e) {
        EXPECT_NE(std::string(e.what()).find("999"), std::string::npos) << e.what();
    }
    EXPECT_THROW(FormRegistry().CreateForm("TfNothing"), EFormError);
    dm().SetFormHost(nullptr);
    TFormRequest request;
    request.FormNumber = 10201;
    EXPECT_THROW(RequestForm(request), EFormError) << "no host to show a form in";
    dm().SetFormHost(&host);
}

TEST_F(FormTest, RequestFormOpensByNumberAndShowsInHost) {
    RegisterFormClass("TfTestDocument", 10201, TestDocumentFactory(), "Тестов документ", TFormGroup::fgDocuments);
    TStoredDocuments{{{"H1", "C1", "0001", "V1", 10.0}}, {}}.ScriptOn(server);
    TFormRequest request;
    request.FormNumber = 10201;
    request.Filter.Add("D_PurchHeader.Id", "=", "H1");
    EXPECT_EQ(RequestForm(request), 0);
    ASSERT_EQ(host.OpenForms().size(), 1u);
    TfBase& form = *host.OpenForms()[0];
    EXPECT_EQ(form.FormNumber, 10201);
    EXPECT_EQ(form.cdsMaster.FieldByName("DocumentNo").AsString(), "0001");
    EXPECT_EQ(FindOpenForms("tftestdocument").size(), 1u);
    EXPECT_EQ(server.CallsTo("RequestData")[0].Args[1].AsString(), "D_PurchHeader.Id=H1");
}

TEST_F(FormTest, RequestFormOfUnregisteredNumberIsRefusedWithMessage) {
    server.SetMessage("err_FormNotAvailable", "Форма с номер %s не е налична.");
    dialogs.ExpectMessage(mrOk, "Форма с номер 401 не е налична.");
    TFormRequest request;
    request.FormNumber = 401;
    EXPECT_EQ(RequestForm(request), 0);
    EXPECT_TRUE(host.OpenForms().empty());
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    EXPECT_EQ(host.ExternalRequests()[0].FormNumber, 401);
}

}  // namespace
}  // namespace tavrek::testing
