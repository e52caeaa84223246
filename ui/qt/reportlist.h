// The report list's view and its scroll bars.
#pragma once

#include <QListView>
#include <QPixmap>
#include <QScrollBar>

namespace uiqt {

class reportmodel;

// A scroll bar that keeps a picture of itself and paints from it while
// nothing it shows has changed: its scroll area repaints both bars each time
// the list lays out its rows, though only the range of one has changed, and
// mostly too little to move the handle by a pixel.
// Under the pointer or while a button is held it is drawn afresh each time.
// It keeps two pictures: the window it is in goes behind every dialog of a
// run and comes back, and the style draws the bar of an inactive window
// apart.
class keptscrollbar : public QScrollBar {
    Q_OBJECT
public:
    explicit keptscrollbar(Qt::Orientation o, QWidget* parent = nullptr) : QScrollBar(o, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct look {
        QRect rect, handle;
        int state = 0, direction = 0;
        bool empty = false, atminimum = false, atmaximum = false, upsidedown = false;
        qint64 palette = 0;
        qreal ratio = 0;
        const QStyle* style = nullptr;
        bool operator==(const look&) const = default;
    };
    look drawn_[2];
    QPixmap picture_[2];
    int last_ = 0; // the picture painted last
};

// The report list's view. Nothing its rows show depends on the focus, so a
// window going behind a dialog and coming back (every dialog of a run) does
// not repaint the list; and a row changed in place repaints alone.
//
// Its rows are all one size (reportmodel::rowsize), one under the other, so
// where a row lies is worked out from its number: appending rows costs the
// same however long the report, where the list's own layout would walk every
// row again after each append. The geometry of the item view (visualRect,
// indexAt, scrolling, keys, selection by area, painting) follows from that.
class reportlist : public QListView {
    Q_OBJECT
public:
    explicit reportlist(QWidget* parent = nullptr);

    // Shows the model's rows: the new ones laid out, and the visible rows
    // whose text or style changed repainted. Rows appended repaint only
    // where they are visible: below the visible rows they change the bars
    // alone.
    void sync(reportmodel& rows);
    // Rows announced since the last layout are laid out now, so that a
    // repaint that follows at once shows them.
    void layoutnow() { executeDelayedItemsLayout(); }

    void doItemsLayout() override;
    void reset() override;
    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void updateGeometries() override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void scrollContentsBy(int dx, int dy) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QSize rowsize() const;
    int rowcount() const;
    // Whole rows the viewport shows, at least 1.
    int pagerows() const;

    bool laidout_ = true;    // no rows wait to be laid out
    int appended_ = -1;      // the first row appended since the last layout
    bool anew_ = false;      // rows changed otherwise since: all are painted again
    bool arranging_ = false; // the bars are being shown or hidden
};

} // namespace uiqt
