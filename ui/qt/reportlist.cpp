#include "reportlist.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "reportmodel.h"

namespace uiqt {

void keptscrollbar::paintEvent(QPaintEvent* event) {
    if (underMouse() || QGuiApplication::mouseButtons() != Qt::NoButton || isSliderDown()) {
        // The style shows the part under the pointer, or pressed.
        picture_[0] = picture_[1] = QPixmap();
        return QScrollBar::paintEvent(event);
    }
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_All;
    opt.activeSubControls = QStyle::SC_None;
    // What the bar shows, not the numbers behind it: a growing report moves
    // the range at every refresh, the handle only now and then.
    const look now{
        opt.rect,
        style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this),
        static_cast<int>(opt.state),
        opt.direction,
        opt.minimum == opt.maximum,
        opt.sliderPosition == opt.minimum,
        opt.sliderPosition == opt.maximum,
        opt.upsideDown,
        opt.palette.cacheKey(),
        devicePixelRatioF(),
        style()};
    int i = last_;
    if (picture_[i].isNull() || !(now == drawn_[i])) i = 1 - i;
    if (picture_[i].isNull() || !(now == drawn_[i])) {
        // The other picture, older, gives way.
        i = 1 - last_;
        picture_[i] = QPixmap(size() * now.ratio);
        picture_[i].setDevicePixelRatio(now.ratio);
        picture_[i].fill(Qt::transparent);
        QPainter p(&picture_[i]);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &opt, &p, this);
        drawn_[i] = now;
    }
    last_ = i;
    QPainter(this).drawPixmap(0, 0, picture_[i]);
}

reportlist::reportlist(QWidget* parent) : QListView(parent) {
    setHorizontalScrollBar(new keptscrollbar(Qt::Horizontal));
    setVerticalScrollBar(new keptscrollbar(Qt::Vertical));
}

void reportlist::sync(reportmodel& rows) {
    rows.sync();
    // A layout to come repaints every row.
    if (!isVisible() || (!laidout_ && (anew_ || appended_ < 0))) return;
    const QRect area = viewport()->rect();
    const int first = indexAt(area.topLeft()).row();
    if (first < 0) return;
    int last = indexAt(area.bottomLeft()).row();
    if (last < 0) last = rows.rowCount() - 1;
    for (int row : rows.changedrows(first, last)) update(rows.index(row));
}

void reportlist::rowsInserted(const QModelIndex& parent, int start, int end) {
    laidout_ = false;
    if (parent != rootIndex() || end != rowcount() - 1) {
        anew_ = true; // the rows below moved
    } else if (appended_ < 0 || start < appended_) {
        appended_ = start;
    }
    QListView::rowsInserted(parent, start, end);
}

void reportlist::reset() {
    laidout_ = false;
    anew_ = true;
    QListView::reset();
}

// The list's own layout would place every row anew; only the scroll bars
// need to hear of new rows. QAbstractItemView's repaints the whole list:
// appended rows are painted only where they are visible, mostly nowhere, as
// a run's lines fall below the visible ones until its next dialog scrolls.
void reportlist::doItemsLayout() {
    laidout_ = true;
    const int first = anew_ ? -1 : appended_;
    anew_ = false;
    appended_ = -1;
    if (first < 0) return QAbstractItemView::doItemsLayout(); // a layout asked by Qt
    updateGeometries();
    QRect below = viewport()->rect();
    below.setTop(first * rowsize().height() - verticalOffset());
    if (!below.isEmpty()) viewport()->update(below);
}

QSize reportlist::rowsize() const {
    auto* rows = qobject_cast<const reportmodel*>(model());
    const QSize s = rows ? rows->rowsize() : QSize(100, 1);
    return s.expandedTo(QSize(1, 1));
}

int reportlist::rowcount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int reportlist::pagerows() const {
    return std::max(1, viewport()->height() / rowsize().height());
}

QRect reportlist::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        index.column() != modelColumn())
        return {};
    const QSize s = rowsize();
    return QRect(QPoint(-horizontalOffset(), index.row() * s.height() - verticalOffset()), s);
}

QModelIndex reportlist::indexAt(const QPoint& point) const {
    const QSize s = rowsize();
    const int x = point.x() + horizontalOffset(), y = point.y() + verticalOffset();
    if (!model() || x < 0 || x >= s.width() || y < 0 || y / s.height() >= rowcount()) return {};
    return model()->index(y / s.height(), modelColumn(), rootIndex());
}

// Scroll values count rows when the list scrolls per item, pixels otherwise.
int reportlist::verticalOffset() const {
    const int value = verticalScrollBar()->value();
    return verticalScrollMode() == ScrollPerItem ? value * rowsize().height() : value;
}

int reportlist::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

void reportlist::scrollContentsBy(int dx, int dy) {
    if (verticalScrollMode() == ScrollPerItem) dy *= rowsize().height();
    viewport()->scroll(dx, dy);
}

void reportlist::updateGeometries() {
    const QSize s = rowsize(), view = viewport()->size();
    const int n = rowcount();
    QScrollBar* v = verticalScrollBar();
    if (verticalScrollMode() == ScrollPerItem) {
        const int page = n * s.height() > view.height() ? pagerows() : n;
        v->setSingleStep(1);
        v->setPageStep(std::max(page, 1));
        v->setRange(0, std::max(0, n - page));
    } else {
        v->setSingleStep(s.height());
        v->setPageStep(view.height());
        v->setRange(0, std::max(0, n * s.height() - view.height()));
    }
    QScrollBar* h = horizontalScrollBar();
    h->setSingleStep(s.width());
    h->setPageStep(view.width());
    h->setRange(0, n > 0 ? std::max(0, s.width() - view.width()) : 0);
    QAbstractItemView::updateGeometries();
    // The bars show or hide now, not at the event loop's next turn, so that
    // the viewport has its size before anything is scrolled or painted; a
    // growing report mostly changes the range of a bar already shown.
    auto settled = [this](const QScrollBar* b, Qt::ScrollBarPolicy policy) {
        return policy != Qt::ScrollBarAsNeeded ||
               (b->maximum() > b->minimum()) == b->isVisibleTo(this);
    };
    if (!arranging_ &&
        !(settled(v, verticalScrollBarPolicy()) && settled(h, horizontalScrollBarPolicy()))) {
        arranging_ = true;
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(this, &request);
        arranging_ = false;
    }
}

// The list scrolls in its flow's direction only, as a list of one column does.
void reportlist::scrollTo(const QModelIndex& index, ScrollHint hint) {
    executeDelayedItemsLayout(); // the bars' ranges take in the new rows
    const QRect rect = visualRect(index);
    if (!rect.isValid()) return;
    const QRect area = viewport()->rect();
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    if (hint == EnsureVisible && rect.top() < area.top()) hint = PositionAtTop;
    if (hint == EnsureVisible && rect.bottom() > area.bottom()) hint = PositionAtBottom;
    if (hint == EnsureVisible) return;
    QScrollBar* v = verticalScrollBar();
    if (verticalScrollMode() == ScrollPerItem) {
        const int row = index.row(), page = pagerows();
        v->setValue(hint == PositionAtTop      ? row
                    : hint == PositionAtBottom ? row - page + 1
                                               : row - page / 2);
    } else {
        const int top = v->value() + rect.top();
        v->setValue(hint == PositionAtTop      ? top
                    : hint == PositionAtBottom ? top + rect.height() - area.height()
                                               : top - (area.height() - rect.height()) / 2);
    }
}

QModelIndex reportlist::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int n = rowcount();
    if (n == 0) return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return model()->index(0, modelColumn(), rootIndex());
    const int row = current.row(),
              page = std::max(1, (viewport()->height() - 1) / rowsize().height());
    int to = row;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        to = row - 1;
        break;
    case MoveDown:
    case MoveNext:
        to = row + 1;
        break;
    case MovePageUp:
        to = row - page;
        break;
    case MovePageDown:
        to = row + page;
        break;
    case MoveHome:
        to = 0;
        break;
    case MoveEnd:
        to = n - 1;
        break;
    default: // left and right: one column, nowhere to go
        break;
    }
    return model()->index(std::clamp(to, 0, n - 1), modelColumn(), rootIndex());
}

void reportlist::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QSize s = rowsize();
    const QRect r = rect.normalized().translated(horizontalOffset(), verticalOffset());
    const int first = std::max(0, r.top() / s.height());
    const int last = std::min(rowcount() - 1, r.bottom() / s.height());
    QItemSelection selection;
    if (model() && r.right() >= 0 && r.left() < s.width() && r.bottom() >= 0 && first <= last)
        selection.select(model()->index(first, modelColumn(), rootIndex()),
                         model()->index(last, modelColumn(), rootIndex()));
    selectionModel()->select(selection, command);
}

QRegion reportlist::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex() || range.left() > modelColumn() ||
            range.right() < modelColumn())
            continue;
        const QModelIndex top = model()->index(range.top(), modelColumn(), rootIndex());
        const QModelIndex bottom = model()->index(range.bottom(), modelColumn(), rootIndex());
        region += (visualRect(top) | visualRect(bottom)) & viewport()->rect();
    }
    return region;
}

// A dialog taking the focus and giving it back changes nothing drawn: the
// rows draw no focus, and the selection keeps its colours.
void reportlist::focusInEvent(QFocusEvent* event) {
    if (event->reason() == Qt::ActiveWindowFocusReason && currentIndex().isValid()) return;
    QListView::focusInEvent(event);
}

void reportlist::focusOutEvent(QFocusEvent* event) {
    if (event->reason() == Qt::ActiveWindowFocusReason) return;
    QListView::focusOutEvent(event);
}

bool reportlist::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // The rows are drawn alike in an active and an inactive window (the
        // viewport itself repaints if its palette says otherwise).
        return QAbstractScrollArea::viewportEvent(event);
    default:
        return QListView::viewportEvent(event);
    }
}

void reportlist::paintEvent(QPaintEvent* event) {
    // Every row on the screen is painted now and tells what it shows.
    if (auto* rows = qobject_cast<const reportmodel*>(model()))
        if (QRegion(viewport()->rect()).subtracted(event->region()).isEmpty())
            rows->forgetpainted();
    if (!model() || !itemDelegate()) return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State base =
        option.state & ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    const int height = rowsize().height(), offset = verticalOffset();
    const QRect area = event->rect();
    const int first = std::max(0, (area.top() + offset) / height);
    const int last = std::min(rowcount() - 1, (area.bottom() + offset) / height);
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        option.rect = visualRect(index);
        option.state = base;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

} // namespace uiqt
