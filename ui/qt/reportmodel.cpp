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

void reportmodel::settext(textsource text) {
    text_ = std::move(text);
    if (shown_ > 0) emit dataChanged(index(0), index(shown_ - 1));
}

const std::u16string& reportmodel::text(int row) const {
    return text_ ? text_(row) : list_.items[static_cast<std::size_t>(row)];
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
        if (row >= n || QStringView(it->second.text) != QStringView(text(row)) ||
            it->second.f != format(row))
            changed.push_back(row);
        ++it;
    }
    return changed;
}

QSize reportmodel::rowsize() const {
    return QSize(list_.columnwidth > 0 ? list_.columnwidth : 100, rowheight_);
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
        return qs(text(row));
    case Qt::SizeHintRole:
        return rowsize();
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

} // namespace uiqt
