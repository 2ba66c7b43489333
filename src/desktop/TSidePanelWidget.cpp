#include "desktop/TSidePanelWidget.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

// Room for a value not yet shown, and the margins of a cell's text.
constexpr int kValueWidth = 60;
constexpr int kCellPadding = 12;

}  // namespace

TSidePanelWidget::TSidePanelWidget(TSidePanel& panel, TRunner runner, QWidget* parent)
    : QWidget(parent), panel_(panel), runner_(std::move(runner)), text_(new QLabel(this)), lists_(new QWidget(this)) {
    setObjectName(ToQ(panel_.Name));
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    new QVBoxLayout(lists_);
    lists_->layout()->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(text_);
    layout->addWidget(lists_);
    layout->addStretch(1);
    Refresh();
}

QString TSidePanelWidget::ShownText() const { return text_->text(); }

QString TSidePanelWidget::Snapshot() const {
    QString snapshot = ToQ(panel_.Text);
    for (const TPanelList& list : panel_.Lists) {
        snapshot += '\x1f' + ToQ(list.Caption);
        for (const TPanelRow& row : list.Rows) snapshot += '\x1e' + ToQ(row.Caption) + '\x1d' + ToQ(row.Value);
    }
    return snapshot;
}

void TSidePanelWidget::Refresh() {
    setVisible(panel_.Visible);
    const QString snapshot = Snapshot();
    if (snapshot == shown_) return;
    shown_ = snapshot;
    Rebuild();
}

void TSidePanelWidget::Rebuild() {
    text_->setText(ToQ(panel_.Text));
    text_->setVisible(!panel_.Text.empty());
    QLayout& layout = *lists_->layout();
    while (QLayoutItem* item = layout.takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    for (size_t i = 0; i < panel_.Lists.size(); ++i) {
        const TPanelList& list = panel_.Lists[i];
        auto* box = new QGroupBox(ToQ(list.Caption), lists_);
        auto* table = new QTableWidget(static_cast<int>(list.Rows.size()), 2, box);
        table->horizontalHeader()->hide();
        table->verticalHeader()->hide();
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        // The panel is as wide as its longest caption and value: none is cut off.
        int captions = 0, values = kValueWidth;
        for (size_t r = 0; r < list.Rows.size(); ++r) {
            table->setItem(static_cast<int>(r), 0, new QTableWidgetItem(ToQ(list.Rows[r].Caption)));
            auto* value = new QTableWidgetItem(ToQ(list.Rows[r].Value));
            value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(r), 1, value);
            captions = std::max(captions, table->fontMetrics().horizontalAdvance(table->item(static_cast<int>(r), 0)->text()));
            values = std::max(values, table->fontMetrics().horizontalAdvance(value->text()));
        }
        table->setMinimumWidth(captions + values + kCellPadding * 2 + 2 * table->frameWidth());
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setWordWrap(false);
        const int rowHeight = table->fontMetrics().height() + 6;
        table->verticalHeader()->setDefaultSectionSize(rowHeight);
        table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        table->setFixedHeight(rowHeight * static_cast<int>(list.Rows.size()) + 2 * table->frameWidth());
        connect(table, &QTableWidget::cellClicked, this, [this, i](int row) {
            if (i < panel_.Lists.size() && panel_.Lists[i].OnClick) runner_([this, i, row] { panel_.Lists[i].OnClick(row); });
        });
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(2, 2, 2, 2);
        boxLayout->addWidget(table);
        layout.addWidget(box);
    }
}

}  // namespace tavrek::desktop
