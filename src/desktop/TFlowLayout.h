#pragma once

#include <QLayout>
#include <vector>

namespace tavrek::desktop {

// Lays its widgets out left to right and wraps them onto a new row where the width ends,
// so that no command of a form hides behind an overflow arrow.
class TFlowLayout : public QLayout {
public:
    explicit TFlowLayout(QWidget* parent = nullptr, int spacing = 2);
    ~TFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items inside rect (or only measures); the height they take.
    int Arrange(const QRect& rect, bool place) const;

    std::vector<QLayoutItem*> items_;
};

}  // namespace tavrek::desktop
