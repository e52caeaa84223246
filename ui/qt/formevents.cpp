// formview: keys, mouse presses, closing, resizing and drops on the window,
// each turned into the model's user action.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include "formparts.h"
#include "formview.h"

namespace uiqt {

namespace {

int mousebutton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 3;
    default:
        return 0;
    }
}

// Characters a key press types into an edit: printable ones, and Backspace.
std::u16string typedchars(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    if (e->key() == Qt::Key_Backspace) return u"\b";
    std::u16string out;
    for (QChar ch : e->text())
        if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) out.push_back(ch.unicode());
    return out;
}

} // namespace

bool formview::eventFilter(QObject* watched, QEvent* event) {
    if (detached_) return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (passing_ || watched == this) return false;
        auto it = owners_.find(watched);
        if (it == owners_.end()) return false;
        return routekey(it->second, watched, static_cast<QKeyEvent*>(event));
    }
    case QEvent::FocusIn: {
        auto it = owners_.find(watched);
        if (it != owners_.end()) focusto(it->second);
        return false;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto it = owners_.find(watched);
        if (it == owners_.end()) return false;
        auto* me = static_cast<QMouseEvent*>(event);
        if (auto* link = dynamic_cast<forms::linklabel*>(it->second)) {
            if (event->type() != QEvent::MouseButtonRelease || me->button() != Qt::LeftButton)
                return false;
            act([&] {
                if (link->onclick) link->onclick();
            });
            return true;
        }
        if (it->second->what != kind::listview) return false;
        for (entry& e : entries_) {
            if (e.c != it->second || watched != static_cast<QAbstractItemView*>(e.w)->viewport())
                continue;
            // No selection by dragging: the model chose the row at the press.
            if (event->type() == QEvent::MouseMove) return me->buttons() != Qt::NoButton;
            return routemouse(e, event);
        }
        return false;
    }
    default:
        return false;
    }
}

bool formview::routekey(forms::control* c, QObject* watched, QKeyEvent* event) {
    const std::uint16_t vk = virtualkey(event->key());
    if (vk != 0) {
        std::uint16_t left = vk;
        act([&] { left = form_.keydown(c, vk, shiftstate(event->modifiers())); });
        if (left == 0) {
            event->accept();
            return true;
        }
    }
    if (c->what == kind::edit && qobject_cast<QLineEdit*>(watched)) {
        const std::u16string chars = typedchars(event);
        if (!chars.empty()) {
            auto* le = static_cast<QLineEdit*>(watched);
            auto& e = as<forms::edit>(*c);
            for (char16_t ch : chars) {
                // The model applies the character where the caret is.
                e.selstart = le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
                e.sellength =
                    le->hasSelectedText() ? static_cast<int>(le->selectedText().size()) : 0;
                act([&] { form_.type(e, ch); });
                if (e.selstart >= 0) le->setCursorPosition(e.selstart);
                e.selstart = -1;
                e.sellength = 0;
            }
            event->accept();
            return true;
        }
    }
    // Hand the key on to the widget (and its parents) without routing it
    // again on the way.
    passing_ = true;
    QCoreApplication::sendEvent(watched, event);
    passing_ = false;
    // It has been through its widget and the parents already.
    event->accept();
    return true;
}

bool formview::routemouse(entry& e, QEvent* event) {
    auto* v = static_cast<QAbstractItemView*>(e.w);
    auto& l = as<forms::listview>(*e.c);
    auto* me = static_cast<QMouseEvent*>(event);
    const int row = v->indexAt(me->position().toPoint()).row();
    const int button = mousebutton(me->button());
    const unsigned shift = shiftstate(me->modifiers());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        v->setFocus(Qt::MouseFocusReason);
        // The list selects the row under the pointer before the handler runs.
        act([&] {
            form_.select(l, row);
            if (l.onmousedown) l.onmousedown(button, shift, row);
        });
        return true;
    case QEvent::MouseButtonRelease:
        if (button == 1 && l.onclick) act([&] { l.onclick(); });
        return true;
    case QEvent::MouseButtonDblClick:
        act([&] {
            form_.select(l, row);
            if (l.onmousedown) l.onmousedown(button, shift, row);
            if (button == 1 && l.ondblclick) l.ondblclick();
        });
        return true;
    default:
        return false;
    }
}

void formview::keyPressEvent(QKeyEvent* event) {
    // Keys that reach the window itself: no control has the focus, or a
    // control's widget left the key unhandled (then it was routed already).
    const std::uint16_t vk = virtualkey(event->key());
    std::uint16_t left = vk;
    if (!passing_ && vk)
        act([&] { left = form_.keydown(nullptr, vk, shiftstate(event->modifiers())); });
    if (left == forms::vkEscape && escapecloses && !detached_) {
        close();
        return;
    }
    if (passing_ || !vk) QWidget::keyPressEvent(event);
}

void formview::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (detached_) return;
    // No close box while the window is inert (its work lets messages through).
    if (!form_.closebox || !form_.enabled) return;
    if (modal_) {
        act([&] { form_.modalresult = forms::mrCancel; });
        return;
    }
    act([&] {
        if (form_.onclose) form_.onclose();
        form_.visible = false;
    });
    event->accept();
}

void formview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (detached_ || updating_ || !form_.sizeable) return;
    if (width() == form_.width && height() == form_.height) return;
    const int w = width(), h = height();
    act([&] { form_.resize(w, h); });
}

void formview::dragEnterEvent(QDragEnterEvent* event) {
    if (drophandler_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void formview::dropEvent(QDropEvent* event) {
    if (!drophandler_ || !event->mimeData()->hasUrls()) return;
    std::vector<std::u16string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.push_back(url.isLocalFile() ? u16path(url.toLocalFile()) : u16(url.toString()));
    event->acceptProposedAction();
    // A drop may start a whole run: let the drag source finish first.
    QTimer::singleShot(0, this, [this, paths] { act([&] { drophandler_(paths); }); });
}

} // namespace uiqt
