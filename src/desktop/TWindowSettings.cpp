#include "desktop/TWindowSettings.h"

#include <QSettings>
#include <algorithm>

#include "base/forms/TfBase.h"
#include "base/session/LocalData.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

// A column dragged almost shut still shows that it is there.
constexpr int kNarrowestColumn = 16;

QString GroupOf(const TFormHostWidget& host) {
    return QStringLiteral("forms/%1/%2").arg(ToQ(LocalData().UserId), ToQ(host.Form().ClassName()));
}

QString FieldOf(const TDataSetModel& model, int column) {
    return ToQ(model.DataSet().Fields(model.Columns().at(static_cast<size_t>(column)).FieldIndex).FieldName());
}

}  // namespace

void TWindowSettings::Save(const TFormHostWidget& host, QSize windowSize) {
    QSettings settings;
    settings.beginGroup(GroupOf(host));
    if (windowSize.isValid()) settings.setValue(QStringLiteral("size"), windowSize);
    for (const TDataGrid* grid : host.Grids()) {
        settings.beginGroup(grid->objectName());
        for (int column = 0; column < grid->Model().columnCount(); ++column)
            if (!grid->View().isColumnHidden(column))
                settings.setValue(FieldOf(grid->Model(), column), grid->View().columnWidth(column));
        settings.endGroup();
    }
}

QSize TWindowSettings::Restore(const TFormHostWidget& host) {
    QSettings settings;
    settings.beginGroup(GroupOf(host));
    for (TDataGrid* grid : host.Grids()) {
        settings.beginGroup(grid->objectName());
        for (int column = 0; column < grid->Model().columnCount(); ++column) {
            const QVariant width = settings.value(FieldOf(grid->Model(), column));
            if (width.isValid()) grid->View().setColumnWidth(column, std::max(width.toInt(), kNarrowestColumn));
        }
        settings.endGroup();
    }
    return settings.value(QStringLiteral("size")).toSize();
}

}  // namespace tavrek::desktop
