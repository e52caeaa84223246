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
#include "reportlist.h"

namespace uiqt {

class reportmodel : public QAbstractListModel {
    Q_OBJECT
public:
    reportmodel(const forms::listview& list, QObject* parent = nullptr);

    // Asked for every row that is painted; none: every row in the list's font.
    void setstyle(std::function<ui::lineformat(int row)> style);
    // Asked for the text of every row that is painted, in place of its item
    // (a row that holds names shows them as text); none: the item itself.
    using textsource = std::function<const std::u16string&(int row)>;
    void settext(textsource text);
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
    // The text row shows (of a row in the list).
    const std::u16string& text(int row) const;
    const QFont& font(const ui::lineformat& f) const {
        return fonts_[(f.bold ? 1 : 0) | (f.strikeout ? 2 : 0)];
    }
    int rowheight() const { return rowheight_; }
    // Every row's size: the list's column width (100 when unset) by rowheight.
    QSize rowsize() const;

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
    textsource text_;
    QFont fonts_[4]; // regular, bold, struck out, both
    int rowheight_ = 0;
    int shown_ = 0;
    mutable std::unordered_map<int, paintedrow> painted_;
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
