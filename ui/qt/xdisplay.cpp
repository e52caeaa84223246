#include "xdisplay.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QObject>
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
