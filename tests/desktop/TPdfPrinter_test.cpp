#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "base/forms/TfBase.h"
#include "base/session/Tdm.h"
#include "desktop/TColumnLayout.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TPdfPrinter.h"

namespace tavrek::desktop {
namespace {

// A list whose kind column shows its values by name and whose annulment is a check box.
class TKindListForm : public TfBase {
public:
    TKindListForm() {
        AddDataSet({&cdsKinds, "", nullptr, "", "Id", false});
        AddGrid(dbgKinds);
        dbgKinds.AddColumns({{"DocumentNo", "Номер", 90, ""},
                             {"DocumentType", "Вид", 80, "names:0=Без вид;25=Върната стока;27=Отказана"},
                             {"Annul", "Анулирана", 80, kCheckBoxFormat}});
        cdsKinds.AddField("DocumentNo", TFieldType::ftString);
        cdsKinds.AddField("DocumentType", TFieldType::ftInteger);
        cdsKinds.AddField("Annul", TFieldType::ftInteger);
        cdsKinds.CreateDataSet();
    }
    std::string ClassName() const override { return "TKindListForm"; }

    TClientDataSet cdsKinds{"cdsKinds"};
    TGrid dbgKinds{"dbgKinds", "cdsKinds"};
};

TEST(PdfPrinterTest, APrintedGridReadsAsTheGridOnScreen) {
    testing::TestApp();
    TSessionGuard guard;
    struct TCase {
        const char* DocumentNo;
        Variant Kind;
        Variant Annul;
        const char* Shown;
        const char* AnnulPrinted;
    };
    const TCase cases[] = {
        {"N-1", int64_t{25}, int64_t{0}, "Върната стока", "Не"},  // a name with a space prints whole
        {"N-2", int64_t{27}, int64_t{1}, "Отказана", "Да"},
        {"N-3", int64_t{31}, Variant(), "31", ""},          // a value without a name reads as its number
        {"N-4", Variant(), int64_t{0}, "", "Не"},           // no value is not the value named 0
        {"N-5", int64_t{0}, int64_t{0}, "Без вид", "Не"},
    };
    TKindListForm form;
    for (const TCase& c : cases) form.cdsKinds.AppendLoaded({c.DocumentNo, c.Kind, c.Annul});
    TDataSetModel model(form.cdsKinds, GridColumns(form.dbgKinds, form.cdsKinds));
    TPrintRequest request;
    request.Form = &form;
    const QString html = TPdfPrinter::Html(request);
    EXPECT_TRUE(html.contains(QStringLiteral("Номер</th><th style='white-space:nowrap'>Вид</th>"))) << html.toStdString();
    for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
        const TCase& c = cases[row];
        SCOPED_TRACE(c.DocumentNo);
        EXPECT_EQ(model.data(model.index(row, 1)).toString(), QString::fromUtf8(c.Shown));
        const QString printed = QStringLiteral("<td>%1</td><td>%2</td><td>%3</td>")
                                    .arg(c.DocumentNo, QString::fromUtf8(c.Shown), QString::fromUtf8(c.AnnulPrinted));
        EXPECT_TRUE(html.contains(printed)) << printed.toStdString() << "\n" << html.toStdString();
    }
}

}  // namespace
}  // namespace tavrek::desktop
