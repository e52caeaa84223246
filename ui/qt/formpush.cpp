// formview: the model's state pushed into the widgets, only what changed.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "formparts.h"
#include "formview.h"
#include "names.h"
#include "reportmodel.h"

namespace uiqt {

namespace {

Qt::Alignment qtalignment(forms::textalign a, forms::textlayout l) {
    Qt::Alignment q = a == forms::textalign::centre  ? Qt::AlignHCenter
                      : a == forms::textalign::right ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    q |= l == forms::textlayout::centre   ? Qt::AlignVCenter
         : l == forms::textlayout::bottom ? Qt::AlignBottom
                                          : Qt::AlignTop;
    return q;
}

} // namespace

void formview::push(entry& e) {
    forms::control& c = *e.c;
    QWidget* w = e.w;
    pushed& last = e.last;
    const bool all = !last.valid;
    last.valid = true;
    if (all || last.enabled != c.enabled) {
        last.enabled = c.enabled;
        w->setEnabled(c.enabled);
    }
    if (all || last.visible != c.visible) {
        last.visible = c.visible;
        if (w->isHidden() == c.visible) w->setVisible(c.visible);
    }
    if (all || last.showhint != c.showhint || last.hint != c.hint) {
        last.showhint = c.showhint;
        last.hint = c.hint;
        const QString tip = c.showhint ? qs(c.hint) : QString();
        if (w->toolTip() != tip) w->setToolTip(tip);
    }
    // A label's width follows its caption in its font.
    bool sized = all;
    if (all || last.bold != c.bold || last.italic != c.italic) {
        last.bold = c.bold;
        last.italic = c.italic;
        QFont font = basefont_;
        font.setBold(c.bold);
        font.setItalic(c.italic);
        if (dynamic_cast<forms::linklabel*>(&c)) font.setUnderline(true);
        if (w->font() != font) w->setFont(font);
        sized = true;
    }
    auto caption = [&](const std::u16string& text, auto set) {
        if (!all && last.caption == text) return;
        last.caption = text;
        set();
        sized = true;
    };

    switch (c.what) {
    case kind::label: {
        auto* l = static_cast<QLabel*>(w);
        const auto& m = as<forms::label>(c);
        caption(m.caption,
                [&] { l->setText(qs(m.path ? checker::pathtext(m.caption) : m.caption)); });
        if (all || last.alignment != m.alignment || last.layout != m.layout) {
            last.alignment = m.alignment;
            last.layout = m.layout;
            l->setAlignment(qtalignment(m.alignment, m.layout));
            sized = true;
        }
        break;
    }
    case kind::groupbox: {
        auto* g = static_cast<QGroupBox*>(w);
        const auto& m = as<forms::groupbox>(c);
        caption(m.caption, [&] { g->setTitle(literal(m.caption)); });
        break;
    }
    case kind::button: {
        auto* b = static_cast<QPushButton*>(w);
        const auto& m = as<forms::button>(c);
        caption(m.caption, [&] { b->setText(literal(m.caption)); });
        break;
    }
    case kind::checkbox:
    case kind::radiobutton: {
        auto* b = static_cast<QAbstractButton*>(w);
        const auto& m = as<forms::checkbox>(c);
        caption(m.caption, [&] { b->setText(literal(m.caption)); });
        // The user's click changes the box before the model hears of it.
        if (b->isChecked() != m.checked) b->setChecked(m.checked);
        break;
    }
    case kind::edit: {
        auto* le = static_cast<QLineEdit*>(w);
        auto& m = as<forms::edit>(c);
        const int maxlength = m.maxlength > 0 ? m.maxlength : 32767;
        if (le->maxLength() != maxlength) le->setMaxLength(maxlength);
        if (le->isReadOnly() != m.readonly) le->setReadOnly(m.readonly);
        // Compared with the widget: typing may have left it unlike the model.
        const QString t = qs(m.text);
        if (le->text() != t) le->setText(t);
        if (m.selectallrequest) le->selectAll();
        break;
    }
    case kind::combobox: {
        auto* cb = static_cast<QComboBox*>(w);
        auto& m = as<forms::combobox>(c);
        QSignalBlocker block(cb);
        if (cb->isEditable() != m.editable) {
            cb->setEditable(m.editable);
            if (m.editable) {
                cb->setCompleter(nullptr); // the model's text is what was typed
                QLineEdit* le = cb->lineEdit();
                le->installEventFilter(this);
                owners_[le] = e.c;
                forms::control* ctl = e.c;
                connect(le, &QLineEdit::textEdited, this, [this, ctl](const QString& text) {
                    act([&] { form_.settext(as<forms::combobox>(*ctl), u16(text)); });
                });
            }
        }
        if (all || last.items != m.items) {
            last.items = m.items;
            // A run's dialog lists new names at every showing: the items are
            // rewritten in place, which costs the toolkit far less than
            // emptying the list and filling it again.
            const int n = static_cast<int>(m.items.size());
            if (cb->count() > n) cb->model()->removeRows(n, cb->count() - n);
            for (int i = 0; i < cb->count(); ++i) {
                const QString text = qs(m.items[static_cast<std::size_t>(i)]);
                if (cb->itemText(i) != text) cb->setItemText(i, text);
            }
            QStringList more;
            for (int i = cb->count(); i < n; ++i)
                more.push_back(qs(m.items[static_cast<std::size_t>(i)]));
            if (!more.isEmpty()) cb->addItems(more);
        }
        const int index = m.itemindex < cb->count() ? m.itemindex : -1;
        if (cb->currentIndex() != index) cb->setCurrentIndex(index);
        if (m.editable) {
            const QString t = qs(m.text);
            if (cb->currentText() != t) cb->setEditText(t);
            if (m.selectallrequest) cb->lineEdit()->selectAll();
        }
        break;
    }
    case kind::listbox: {
        auto* lw = static_cast<QListWidget*>(w);
        auto& m = as<forms::listbox>(c);
        if (all || last.items != m.items) {
            last.items = m.items;
            lw->clear();
            for (const auto& s : m.items) lw->addItem(qs(s));
        }
        const int row = m.itemindex < lw->count() ? m.itemindex : -1;
        if (lw->currentRow() != row) lw->setCurrentRow(row);
        break;
    }
    case kind::listview:
        pushlist(e);
        break;
    case kind::progressbar: {
        auto* b = static_cast<QProgressBar*>(w);
        const auto& m = as<forms::progressbar>(c);
        if (b->minimum() != m.min || b->maximum() != m.max) b->setRange(m.min, m.max);
        if (b->value() != m.position) b->setValue(m.position);
        break;
    }
    }
    c.selectallrequest = false;

    QRect r(c.left, c.top, std::max(c.width, 0), std::max(c.height, 0));
    if (!sized && r == last.bounds) return;
    last.bounds = r;
    // A label is as wide as its text, as the toolkit the windows were drawn
    // for makes it: a wider font must not cut the caption. It grows away
    // from the side its caption keeps to.
    if (c.what == kind::label) {
        const int extra = w->sizeHint().width() - r.width();
        if (extra > 0) {
            switch (as<forms::label>(c).alignment) {
            case forms::textalign::left:
                r.setWidth(r.width() + extra);
                break;
            case forms::textalign::centre:
                r.adjust(-extra / 2, 0, extra - extra / 2, 0);
                break;
            case forms::textalign::right:
                r.setLeft(r.left() - extra);
                break;
            }
        }
    }
    if (w->geometry() != r) w->setGeometry(r);
}

void formview::pushlist(entry& e) {
    if (!e.rows) return pushtable(e);
    auto* v = static_cast<reportlist*>(e.w);
    auto& m = as<forms::listview>(*e.c);
    // New rows, and rows on the screen whose text or style changed in place.
    v->sync(*e.rows);
    const int rows = e.rows->rowCount();
    const int want = m.itemindex >= 0 && m.itemindex < rows ? m.itemindex : -1;
    if (selectedrow(v) != want) {
        if (want < 0) {
            v->selectionModel()->clear();
        } else {
            v->selectionModel()->setCurrentIndex(e.rows->index(want),
                                                 QItemSelectionModel::ClearAndSelect);
        }
    }
    if (m.showrow >= 0) {
        if (m.showrow < rows)
            v->scrollTo(e.rows->index(m.showrow), QAbstractItemView::EnsureVisible);
        m.showrow = -1;
    }
}

} // namespace uiqt
