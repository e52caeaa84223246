// A window built from a form model: one real widget per control, placed and
// captioned as the model says. Widget events become the model's user actions
// (click, type, keydown, select ...); after each one every view is refreshed
// from its model. The view decides nothing itself.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "form.h"
#include "outputcolor.h"

class QListView;

namespace uiqt {

class reportmodel;

class formview : public QWidget {
    Q_OBJECT
public:
    explicit formview(forms::form& f);
    ~formview() override;

    forms::form& model() const { return form_; }

    // Pushes the model into the widgets: texts, states, geometry, the
    // window's caption, size, visibility; honours the controls' requests
    // (select all, scroll a row into view, focus). What is unchanged since
    // the last refresh is left alone, so a refresh that finds nothing new
    // makes nothing to paint.
    void refresh();
    // Paints what is waiting to be painted in this window now, rows just
    // appended to a report list included, whatever the paint interval;
    // handles no input.
    void paintnow();

    // Paints of the window, while it is not the active one, closer together
    // than this many milliseconds are held back and done as one when the
    // interval has passed; unset or 0: each at once. Set by the host (its
    // own setting).
    const int* paintinterval = nullptr;

    // The real widget of a control, for the upper layers and the tests.
    QWidget* widget(const forms::control& c) const;
    template <typename W>
    W* widgetas(const forms::control& c) const {
        return qobject_cast<W*>(widget(c));
    }
    QListView* listof(const forms::listview& l) const;
    reportmodel* rowsof(const forms::listview& l) const;

    // The colour and style of a report row, asked when the row is painted.
    void setlinestyle(const forms::listview& l, std::function<ui::lineformat(int row)> style);
    // The text a report row shows, asked when the row is painted; none: its item.
    void setlinetext(const forms::listview& l, std::function<const std::u16string&(int row)> text);

    // Paths dropped on the window; without a handler drops are refused.
    void setdrophandler(std::function<void(const std::vector<std::u16string>&)> handler);

    // Set by the host: runs after every user action (refresh the views, end a
    // modal loop whose form has a result) and shows an error that a handler
    // raised. Without them the view refreshes itself and shows a plain box.
    std::function<void()> onhandled;
    std::function<void(const std::u16string&)> onerror;

    // Runs one user action on the model the way a widget event does.
    void act(const std::function<void()>& action);

    // The model is gone: the view stays inert until it is deleted.
    void detach() {
        detached_ = true;
        painthold_.stop();
    }

    // While shown modally the close box gives the result "cancel" instead of
    // closing the window.
    void setmodal(bool modal) { modal_ = modal; }

    // Esc acts like the close box (where the close box means "cancel", not
    // an answer of its own).
    bool escapecloses = false;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The part of a control's state that only the model changes, as last
    // pushed into its widget.
    struct pushed {
        bool valid = false;
        bool enabled = false, visible = false, showhint = false, bold = false, italic = false;
        std::u16string hint, caption;
        std::vector<std::u16string> items;
        std::vector<forms::listcolumn> columns;            // tables only
        std::vector<std::vector<std::u16string>> subitems; // tables only
        forms::textalign alignment = forms::textalign::left;
        forms::textlayout layout = forms::textlayout::top;
        QRect bounds;
    };
    struct entry {
        forms::control* c;
        QWidget* w;
        reportmodel* rows = nullptr; // report lists only
        pushed last;
    };

    QWidget* build(forms::control& c);
    void wire(entry& e);
    void push(entry& e);
    void pushlist(entry& e);
    // Tables: list views with columns (formtable.cpp).
    QWidget* buildtable(const forms::listview& l, QWidget* parent);
    void wiretable(entry& e);
    void pushtable(entry& e);
    void applywindowflags();
    // The caption-bar buttons the model gives, asked of the window manager.
    void askframe();
    bool routekey(forms::control* c, QObject* watched, QKeyEvent* event);
    bool routemouse(entry& e, QEvent* event);
    void focusto(forms::control* c);
    // The focus on the first control of the tab order that can take it.
    void focusfirst();
    const entry* find(const forms::control& c) const;
    // The window's waiting paints done now.
    void paintpending();

    forms::form& form_;
    std::vector<entry> entries_;
    std::unordered_map<const QObject*, forms::control*> owners_;
    std::vector<std::size_t> tabstops_; // indices into entries_, in tab order
    QFont basefont_;
    Qt::WindowFlags flags_;
    std::u16string caption_;
    std::function<void(const std::vector<std::u16string>&)> drophandler_;
    int updating_ = 0;     // refresh in progress: widget signals are ours
    bool passing_ = false; // a key handed on to its widget
    bool modal_ = false;
    bool detached_ = false;
    QElapsedTimer lastpaint_;
    QTimer painthold_;     // a paint held back until the interval has passed
    bool syncing_ = false; // a paint that is not to be held
};

} // namespace uiqt
