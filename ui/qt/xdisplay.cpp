#include "xdisplay.h"

#include <QAbstractNativeEventFilter>
#include <QEventLoop>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <xcb/xcb.h>

namespace uiqt::xdisplay {

namespace {

xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x ? x->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const std::string& name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.c_str()), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// The screen that DISPLAY names.
int screennumber() {
    int screen = 0, display = 0;
    char* host = nullptr;
    if (xcb_parse_display(nullptr, &host, &display, &screen)) std::free(host);
    return screen;
}

// The root window of that screen, where a window manager takes requests.
xcb_window_t root(xcb_connection_t* c) {
    int screen = screennumber();
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (; screen > 0 && it.rem > 1; --screen) xcb_screen_next(&it);
    return it.data->root;
}

// The window manager hints of the Motif protocol, as every X window manager reads them.
enum : std::uint32_t {
    hasfunctions = 1,
    hasdecorations = 2,
    fnresize = 2,
    fnmove = 4,
    fnminimize = 8,
    fnmaximize = 16,
    fnclose = 32,
    decborder = 2,
    decresize = 4,
    dectitle = 8,
    decmenu = 16,
    decminimize = 32,
    decmaximize = 64,
};

} // namespace

void askframe(QWidget& window, const frame& f) {
    xcb_connection_t* c = connection();
    if (!c) return;
    static const xcb_atom_t hints = atom(c, "_MOTIF_WM_HINTS");
    std::uint32_t functions = fnmove, decorations = decborder | dectitle;
    if (f.close) functions |= fnclose, decorations |= decmenu;
    if (f.minimize) functions |= fnminimize, decorations |= decminimize;
    if (f.maximize) functions |= fnmaximize, decorations |= decmaximize;
    if (f.resize) functions |= fnresize, decorations |= decresize;
    const std::uint32_t data[5] = {hasfunctions | hasdecorations, functions, decorations, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), hints,
                        hints, 32, 5, data);
}

void restore(QWidget& window) {
    xcb_connection_t* c = connection();
    if (!c) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        return;
    }
    static const xcb_atom_t change = atom(c, "WM_CHANGE_STATE");
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = static_cast<xcb_window_t>(window.winId());
    e.type = change;
    e.data.data32[0] = 1; // the normal state
    xcb_send_event(c, 0, root(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

bool iconic(const QWidget& window) {
    xcb_connection_t* c = connection();
    const auto w = static_cast<xcb_window_t>(window.internalWinId());
    if (!c || !w) return window.isMinimized();
    static const xcb_atom_t state = atom(c, "WM_STATE");
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, state, 0, 1), nullptr);
    const bool minimized =
        r && xcb_get_property_value_length(r) >= 4 &&
        *static_cast<const std::uint32_t*>(xcb_get_property_value(r)) == 3; // the iconic state
    std::free(r);
    return minimized;
}

bool composited() {
    xcb_connection_t* c = connection();
    if (!c) return false;
    // A compositing manager owns this selection for the screen it composes.
    static const xcb_atom_t selection = atom(c, "_NET_WM_CM_S" + std::to_string(screennumber()));
    auto* r = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = r && r->owner != XCB_WINDOW_NONE;
    std::free(r);
    return owned;
}

void roundtrip() {
    xcb_connection_t* c = connection();
    if (!c) return;
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

namespace {

// Notes the property change that marks how far the events have been read.
class markwatch : public QAbstractNativeEventFilter {
public:
    markwatch(xcb_window_t w, xcb_atom_t mark) : w_(w), mark_(mark) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~markwatch() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
        if (p->window != w_ || p->atom != mark_) return false;
        seen = true;
        return true; // ours alone
    }

    bool seen = false;

private:
    xcb_window_t w_;
    xcb_atom_t mark_;
};

} // namespace

void handleevents(QWidget& own) {
    xcb_connection_t* c = connection();
    if (!c) return;
    static const xcb_atom_t mark = atom(c, "_VORLINDE_EVENTS_READ");
    const auto w = static_cast<xcb_window_t>(own.winId());
    markwatch watch(w, mark);
    // Appending nothing changes nothing, and the server tells of it all the same.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, mark, XCB_ATOM_INTEGER, 8, 0, nullptr);
    xcb_flush(c);
    QTimer bound;
    bound.setSingleShot(true);
    bound.start(5000);
    while (!watch.seen && bound.isActive())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    // Qt passes on what it read in the pass after the one that read it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

class framewatch::filter : public QAbstractNativeEventFilter {
public:
    filter(xcb_connection_t* c, xcb_window_t frame) : c_(c), frame_(frame) {}
    ~filter() override { // a frame kept for later showings tells us no more
        const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_discard_reply( // destroyed: the error is dropped
            c_,
            xcb_change_window_attributes_checked(c_, frame_, XCB_CW_EVENT_MASK, &none).sequence);
        xcb_flush(c_);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        const int kind = e->response_type & ~0x80;
        if ((kind == XCB_UNMAP_NOTIFY &&
             reinterpret_cast<const xcb_unmap_notify_event_t*>(e)->window == frame_) ||
            (kind == XCB_DESTROY_NOTIFY &&
             reinterpret_cast<const xcb_destroy_notify_event_t*>(e)->window == frame_))
            gone = true;
        return false;
    }

    bool gone = false;

private:
    xcb_connection_t* c_;
    xcb_window_t frame_;
};

namespace {

// The window's ancestor that is a child of the root window: the frame the
// window manager put round it, or the window itself when it has none.
xcb_window_t toplevel(xcb_connection_t* c, xcb_window_t w) {
    for (;;) {
        xcb_generic_error_t* error = nullptr; // the window may be gone already
        auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), &error);
        std::free(error);
        if (!r) return w;
        const xcb_window_t parent = r->parent, root = r->root;
        std::free(r);
        if (parent == root || parent == XCB_WINDOW_NONE) return w;
        w = parent;
    }
}

} // namespace

framewatch::framewatch(const QWidget& hidden) {
    xcb_connection_t* c = connection();
    const auto window = static_cast<xcb_window_t>(hidden.internalWinId());
    if (!c || !window) return;
    const xcb_window_t frame = toplevel(c, window);
    if (frame == window) return; // unframed, or the manager has let it go already
    filter_ = std::make_unique<filter>(c, frame);
    QCoreApplication::instance()->installNativeEventFilter(filter_.get());
    // Told of the frame's unmapping from now on; asked whether it has come already.
    const std::uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_discard_reply(
        c, xcb_change_window_attributes_checked(c, frame, XCB_CW_EVENT_MASK, &structure).sequence);
    xcb_generic_error_t* error = nullptr; // destroyed already
    auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, frame), &error);
    std::free(error);
    if (!a || a->map_state == XCB_MAP_STATE_UNMAPPED) filter_->gone = true;
    std::free(a);
}

framewatch::~framewatch() {
    if (filter_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
}

bool framewatch::gone() const {
    return !filter_ || filter_->gone;
}

class focuswatch::filter : public QAbstractNativeEventFilter {
public:
    explicit filter(std::function<void(unsigned long)> focused) : focused_(std::move(focused)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        const int kind = e->response_type & ~0x80;
        if (kind != XCB_FOCUS_IN && kind != XCB_FOCUS_OUT) return false;
        // Both events share one layout. Those sent only because the pointer
        // is over a window say nothing of where the keys go; Qt skips them too.
        const auto* f = reinterpret_cast<const xcb_focus_in_event_t*>(e);
        if (f->detail == XCB_NOTIFY_DETAIL_POINTER) return false;
        if (kind == XCB_FOCUS_OUT) {
            if (f->event == has_) has_ = XCB_WINDOW_NONE;
            return false;
        }
        has_ = f->event;
        // Posted, so it runs after Qt has handled this event and those read with it.
        QMetaObject::invokeMethod(
            &context_,
            [this, w = f->event] {
                if (w == has_) focused_(w);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    std::function<void(unsigned long)> focused_;
    xcb_window_t has_ = XCB_WINDOW_NONE;
    QObject context_; // the posted calls go with it
};

focuswatch::focuswatch(std::function<void(unsigned long window)> focused) {
    if (!connection()) return;
    filter_ = std::make_unique<filter>(std::move(focused));
    QCoreApplication::instance()->installNativeEventFilter(filter_.get());
}

focuswatch::~focuswatch() {
    if (filter_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
}

} // namespace uiqt::xdisplay
