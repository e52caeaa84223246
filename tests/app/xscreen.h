// What the screen tests share: a connection of their own to the X server,
// which leaves the program's unflushed, what it reads of the windows and
// asks of the window manager, and the program with its windows.
#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include <QTest>
#include <QtWidgets>

#include "answers.h"
#include "program.h"
#include "testutil.h"
#include "window.h"

namespace xscreen {

inline xcb_connection_t* const c = xcb_connect(nullptr, nullptr);
inline const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

inline xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r->atom;
    free(r);
    return a;
}

inline std::vector<std::uint32_t> property(WId w, const char* name) {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
    auto* data = static_cast<std::uint32_t*>(xcb_get_property_value(r));
    std::vector<std::uint32_t> values(data, data + xcb_get_property_value_length(r) / 4);
    free(r);
    return values;
}

inline bool viewable(QWidget& w) {
    auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w.winId()), nullptr);
    const bool shown = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    free(r);
    return shown;
}

// Sends the window manager a request about window w, as a client does.
inline void tellwm(xcb_window_t w, const char* type, std::uint32_t data0 = 0) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = atom(type);
    e.data.data32[0] = data0;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

// What a window manager's minimize button asks of it.
inline void iconify(QWidget& w) {
    tellwm(w.winId(), "WM_CHANGE_STATE", 3); // iconic
}

// Acts once the window has come up as the modal one, at its next showing.
inline void when(QWidget& w, std::function<void()> f) {
    testqt::when(w, std::move(f));
}

// The program with its windows, the main one shown.
class Screen : public testing::Test {
protected:
    Screen() {
        app::bindviews(h, p);
        h.show(p.Form1);
    }
    testutil::tempdir progdir, music;
    uiqt::qthost h;
    ui::program p{h, {}, progdir.u16()};
};

// The window that has the keyboard as the window manager says, and as the server says.
inline xcb_window_t activewindow() {
    const std::vector<std::uint32_t> a = property(root, "_NET_ACTIVE_WINDOW");
    return a.empty() ? xcb_window_t(XCB_WINDOW_NONE) : a[0];
}
inline xcb_window_t inputfocus() {
    auto* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const xcb_window_t w = r ? r->focus : xcb_window_t(XCB_WINDOW_NONE);
    free(r);
    return w;
}

inline bool managed(xcb_window_t w) {
    return !property(w, "WM_STATE").empty();
}

inline bool windowmanager() {
    return !property(root, "_NET_SUPPORTING_WM_CHECK").empty();
}

} // namespace xscreen
