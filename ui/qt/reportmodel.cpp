#include "reportmodel.h"

#include <QBrush>
#include <QFontMetrics>
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

void reportmodel::sync() {
    const int n = static_cast<int>(list_.items.size());
    if (n > shown_) {
        beginInsertRows(QModelIndex(), shown_, n - 1);
        shown_ = n;
        endInsertRows();
    } else if (n < shown_) {
        beginResetModel();
        shown_ = n;
        endResetModel();
    }
}

ui::lineformat reportmodel::format(int row) const {
    if (!style_ || row < 0 || row >= static_cast<int>(list_.items.size())) return {};
    return style_(row);
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
}

} // namespace uiqt
