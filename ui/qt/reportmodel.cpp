#include "reportmodel.h"

#include <QApplication>
#include <QBrush>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QSize>

#include "qtext.h"

namespace uiqt {

reportmodel::reportmodel(const forms::listview& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {
    setfont(QFont());
}

void reportmodel::setstyle(std::function<ui::lineformat(int row)> style) {
    style_ = std::move(style);
    if (shown_ > 0) emit dataChanged(index(0), index(shown_ - 1));
}

void reportmodel::setfont(const QFont& font) {
    for (int i = 0; i < 4; ++i) {
        fonts_[i] = font;
        fonts_[i].setBold(i & 1);
        fonts_[i].setStrikeOut(i & 2);
    }
    // Bold is the tallest; every row gets its height.
    rowheight_ = QFontMetrics(fonts_[1]).height() + 2;
    if (shown_ > 0) emit dataChanged(index(0), index(shown_ - 1));
}

bool reportmodel::sync() {
    const int n = static_cast<int>(list_.items.size());
    if (n > shown_) {
        beginInsertRows(QModelIndex(), shown_, n - 1);
        shown_ = n;
        endInsertRows();
        return true;
    }
    if (n < shown_) {
        beginResetModel();
        shown_ = n;
        painted_.clear();
        endResetModel();
        return true;
    }
    return false;
}

void reportmodel::painted(int row, const QString& text, const ui::lineformat& f) const {
    painted_.insert_or_assign(row, paintedrow{text, f});
}

std::vector<int> reportmodel::changedrows(int first, int last) const {
    std::vector<int> changed;
    const int n = static_cast<int>(list_.items.size());
    for (auto it = painted_.begin(); it != painted_.end();) {
        const int row = it->first;
        if (row < first || row > last) {
            it = painted_.erase(it);
            continue;
        }
        if (row >= n || QStringView(it->second.text) != QStringView(list_.items[row]) ||
            it->second.f != format(row))
            changed.push_back(row);
        ++it;
    }
    return changed;
}

ui::lineformat reportmodel::format(int row) const {
    if (!style_ || row < 0 || row >= static_cast<int>(list_.items.size())) return {};
    return style_(row);
}

QModelIndex reportmodel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || row < 0 || row >= shown_) return {};
    return createIndex(row, 0);
}

int reportmodel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

QVariant reportmodel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    // The items may have been emptied since the last sync.
    if (!index.isValid() || row >= static_cast<int>(list_.items.size())) return {};
    switch (role) {
    case Qt::DisplayRole:
        return qs(list_.items[row]);
    case Qt::SizeHintRole:
        return QSize(list_.columnwidth > 0 ? list_.columnwidth : 100, rowheight_);
    case Qt::FontRole:
        return font(format(row));
    case Qt::ForegroundRole: {
        const ui::lineformat f = format(row);
        if (!f.color) return {};
        return QBrush(bgr(*f.color));
    }
    default:
        return {};
    }
}

Qt::ItemFlags reportmodel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void reportdelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    const auto* rows = qobject_cast<const reportmodel*>(index.model());
    if (!rows) return QStyledItemDelegate::paint(painter, option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    const ui::lineformat f = rows->format(index.row());
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    QColor pen = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (f.color && !selected) pen = bgr(*f.color);
    painter->setPen(pen);
    painter->setFont(rows->font(f));
    painter->drawText(option.rect.adjusted(4, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    rows->painted(index.row(), text, f);
}

void keptscrollbar::paintEvent(QPaintEvent* event) {
    if (underMouse() || QGuiApplication::mouseButtons() != Qt::NoButton || isSliderDown()) {
        // The style shows the part under the pointer, or pressed.
        picture_ = QPixmap();
        return QScrollBar::paintEvent(event);
    }
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_All;
    opt.activeSubControls = QStyle::SC_None;
    const look now{opt.rect,
                   static_cast<int>(opt.state),
                   opt.direction,
                   opt.minimum,
                   opt.maximum,
                   opt.sliderPosition,
                   opt.sliderValue,
                   opt.singleStep,
                   opt.pageStep,
                   opt.upsideDown,
                   opt.palette.cacheKey(),
                   devicePixelRatioF(),
                   style()};
    if (picture_.isNull() || !(now == drawn_)) {
        picture_ = QPixmap(size() * now.ratio);
        picture_.setDevicePixelRatio(now.ratio);
        picture_.fill(Qt::transparent);
        QPainter p(&picture_);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &opt, &p, this);
        drawn_ = now;
    }
    QPainter(this).drawPixmap(0, 0, picture_);
}

reportlist::reportlist(QWidget* parent) : QListView(parent) {
    setHorizontalScrollBar(new keptscrollbar(Qt::Horizontal));
    setVerticalScrollBar(new keptscrollbar(Qt::Vertical));
}

void reportlist::sync(reportmodel& rows) {
    rows.sync();
    // A layout to come repaints every row.
    if (!laidout_ || !isVisible()) return;
    const QRect area = viewport()->rect();
    const int first = indexAt(area.topLeft()).row();
    if (first < 0) return;
    int last = indexAt(area.bottomLeft()).row();
    if (last < 0) last = rows.rowCount() - 1;
    for (int row : rows.changedrows(first, last)) update(rows.index(row));
}

void reportlist::rowsInserted(const QModelIndex& parent, int start, int end) {
    laidout_ = false;
    QListView::rowsInserted(parent, start, end);
}

void reportlist::reset() {
    laidout_ = false;
    QListView::reset();
}

void reportlist::doItemsLayout() {
    laidout_ = true;
    QListView::doItemsLayout();
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
    QListView::paintEvent(event);
}

} // namespace uiqt
