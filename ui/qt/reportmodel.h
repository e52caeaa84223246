// The report list's rows: the items of a list view model, shown live. Rows
// are announced as they are appended, so a long run costs one insertion per
// line, not a reset of the whole list.
#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <functional>
#include <unordered_map>

#include "controls.h"
#include "outputcolor.h"

namespace uiqt {

class reportmodel : public QAbstractListModel {
    Q_OBJECT
public:
    reportmodel(const forms::listview& list, QObject* parent = nullptr);

    // Asked for every row that is painted; none: every row in the list's font.
    void setstyle(std::function<ui::lineformat(int row)> style);
    void setfont(const QFont& font);
    // Catches up with the model's items: appended rows are inserted, an
    // emptied or shortened list starts over. True when rows came or went.
    bool sync();

    // What the rows on the screen were painted with, told by the painter, so
    // that a refresh repaints only the rows that changed in place since.
    void painted(int row, const QString& text, const ui::lineformat& f) const;
    void forgetpainted() const { painted_.clear(); }
    // The rows of first..last that would look different now; the rows
    // outside are forgotten (they are painted afresh when scrolled in).
    std::vector<int> changedrows(int first, int last) const;

    ui::lineformat format(int row) const;
    const QFont& font(const ui::lineformat& f) const {
        return fonts_[(f.bold ? 1 : 0) | (f.strikeout ? 2 : 0)];
    }
    int rowheight() const { return rowheight_; }

    // Asked for every row each time the list lays itself out.
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct paintedrow {
        QString text;
        ui::lineformat f;
    };

    const forms::listview& list_;
    std::function<ui::lineformat(int)> style_;
    QFont fonts_[4]; // regular, bold, struck out, both
    int rowheight_ = 0;
    int shown_ = 0;
    mutable std::unordered_map<int, paintedrow> painted_;
};

// A scroll bar that keeps a picture of itself and paints from it while
// nothing it shows has changed: its scroll area repaints both bars each time
// the list lays out its rows, though only the range of one has changed.
// Under the pointer or while a button is held it is drawn afresh each time.
class keptscrollbar : public QScrollBar {
    Q_OBJECT
public:
    explicit keptscrollbar(Qt::Orientation o, QWidget* parent = nullptr) : QScrollBar(o, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct look {
        QRect rect;
        int state = 0, direction = 0, minimum = 0, maximum = 0, position = 0, value = 0,
            singlestep = 0, pagestep = 0;
        bool upsidedown = false;
        qint64 palette = 0;
        qreal ratio = 0;
        const QStyle* style = nullptr;
        bool operator==(const look&) const = default;
    };
    look drawn_;
    QPixmap picture_;
};

// The report list's view. Nothing its rows show depends on the focus, so a
// window going behind a dialog and coming back (every dialog of a run) does
// not repaint the list; and a row changed in place repaints alone.
class reportlist : public QListView {
    Q_OBJECT
public:
    explicit reportlist(QWidget* parent = nullptr);

    // Shows the model's rows: the new ones laid out (the whole list repaints
    // then), otherwise only the visible rows whose text or style changed.
    void sync(reportmodel& rows);
    // Rows announced since the last layout are laid out now, so that a
    // repaint that follows at once shows them.
    void layoutnow() { executeDelayedItemsLayout(); }

    void doItemsLayout() override;
    void reset() override;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool laidout_ = true; // no rows wait to be laid out
};

// Draws a report row as one line of text in its colour and font, the whole
// row highlighted when selected. Lighter than the style's item drawing, which
// matters when the window repaints after every line of a long run.
class reportdelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace uiqt
