// formview: a list view with columns, shown as a table with a header, grid
// lines and whole-row selection; its cells are the model's rows.
#include <QHeaderView>
#include <QTableWidget>

#include "formparts.h"
#include "formview.h"

namespace uiqt {

QWidget* formview::buildtable(const forms::listview& l, QWidget* parent) {
    auto* t = new QTableWidget(parent);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setSelectionBehavior(l.rowselect ? QAbstractItemView::SelectRows
                                        : QAbstractItemView::SelectItems);
    t->setEditTriggers(l.readonly ? QAbstractItemView::NoEditTriggers
                                  : QAbstractItemView::DoubleClicked);
    t->setShowGrid(l.gridlines);
    t->setWordWrap(false);
    t->setTextElideMode(Qt::ElideRight);
    t->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    t->verticalHeader()->hide();
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->verticalHeader()->setDefaultSectionSize(QFontMetrics(basefont_).height() + 4);
    t->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    t->horizontalHeader()->setHighlightSections(false);
    t->horizontalHeader()->setSectionsClickable(false);
    return t;
}

void formview::wiretable(entry& e) {
    auto* t = static_cast<QTableWidget*>(e.w);
    forms::control* c = e.c;
    t->viewport()->installEventFilter(this);
    owners_[t->viewport()] = c;
    // Keyboard moves; mouse presses are routed in routemouse.
    connect(t->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, c, t] {
        if (!updating_) act([&] { form_.select(as<forms::listview>(*c), selectedrow(t)); });
    });
}

void formview::pushtable(entry& e) {
    auto* t = static_cast<QTableWidget*>(e.w);
    auto& m = as<forms::listview>(*e.c);
    pushed& last = e.last;
    if (last.columns != m.columns) {
        last.columns = m.columns;
        t->setColumnCount(static_cast<int>(m.columns.size()));
        QStringList captions;
        for (const forms::listcolumn& col : m.columns) captions.push_back(literal(col.caption));
        t->setHorizontalHeaderLabels(captions);
        for (std::size_t i = 0; i < m.columns.size(); ++i)
            t->horizontalHeader()->resizeSection(static_cast<int>(i), m.columns[i].width);
    }
    if (last.items != m.items || last.subitems != m.subitems) {
        last.items = m.items;
        last.subitems = m.subitems;
        const Qt::ItemFlags flags =
            m.readonly ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                       : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
        t->setRowCount(static_cast<int>(m.items.size()));
        for (std::size_t r = 0; r < m.items.size(); ++r)
            for (int col = 0; col < t->columnCount(); ++col) {
                const std::vector<std::u16string>* sub =
                    r < m.subitems.size() ? &m.subitems[r] : nullptr;
                const std::size_t k = static_cast<std::size_t>(col);
                const std::u16string text = col == 0                     ? m.items[r]
                                            : sub && k - 1 < sub->size() ? (*sub)[k - 1]
                                                                         : std::u16string();
                auto* item = new QTableWidgetItem(qs(text));
                item->setFlags(flags);
                t->setItem(static_cast<int>(r), col, item);
            }
    }
    const int rows = t->rowCount();
    const int want = m.itemindex >= 0 && m.itemindex < rows ? m.itemindex : -1;
    if (selectedrow(t) != want) {
        if (want < 0) {
            t->clearSelection();
        } else {
            t->selectRow(want);
        }
    }
    if (m.showrow >= 0) {
        if (m.showrow < rows) t->scrollToItem(t->item(m.showrow, 0));
        m.showrow = -1;
    }
}

} // namespace uiqt
