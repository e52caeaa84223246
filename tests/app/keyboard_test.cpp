// Who has the keyboard on a real X screen: a dialog minimized while another
// program has it, a window brought forward that has it already, Esc in the
// rename editor.
#include <gtest/gtest.h>

#include <tuple>

#include "mp3fixture.h"
#include "xdisplay.h"
#include "xscreen.h"

using namespace xscreen;

namespace {

// Returns once the window manager has handled every request sent to it before:
// it answers a window's request for its frame's size in turn.
void wmroundtrip() {
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    tellwm(probe, "_NET_REQUEST_FRAME_EXTENTS");
    testqt::until([&] { return !property(probe, "_NET_FRAME_EXTENTS").empty(); });
    xcb_destroy_window(c, probe);
    xcb_flush(c);
}

// Another program's window, given the keyboard as the user gives it.
struct otherprogram {
    xcb_window_t w = xcb_generate_id(c);
    otherprogram() {
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, 600, 600, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(c, w);
        xcb_flush(c);
    }
    ~otherprogram() {
        xcb_destroy_window(c, w);
        xcb_flush(c);
    }
    bool activate() {
        if (!testqt::until([&] { return managed(w); })) return false;
        tellwm(w, "_NET_ACTIVE_WINDOW", 2); // asked by the user
        return testqt::until([&] {
            return activewindow() == w && inputfocus() == w && !QApplication::activeWindow();
        });
    }
};

} // namespace

TEST_F(Screen, AMinimizedDialogComesBackWithoutTakingTheKeyboardFromAnotherProgram) {
    if (!windowmanager()) return;                                       // no one minimizes
    testutil::writefile(music.path() / "1.mp3", mp3fixture::basemp3()); // untagged: asked
    p.Form1.Label1.caption = music.u16();
    // Minimized and back; then the window with the keyboard, as the window manager and the
    // server see it, once both have handled what the program asked.
    auto minimized = [&](QWidget& v) {
        iconify(v);
        // seen before the program handles a single event
        const bool hid = testqt::untilblocked([&] { return !viewable(v); });
        const bool back = hid && testqt::until([&] { return viewable(v) && !v.isMinimized(); });
        uiqt::xdisplay::roundtrip();
        wmroundtrip();
        return std::make_tuple(back, activewindow(), inputfocus());
    };
    std::tuple<bool, xcb_window_t, xcb_window_t> ours, theirs;
    xcb_window_t dialog = 0, other = 0;
    when(h.view(p.Form2), [&] {
        QWidget& v = h.view(p.Form2);
        dialog = v.winId();
        testqt::until([&] { return managed(dialog) && activewindow() == dialog; });
        ours = minimized(v); // the program had the keyboard: the dialog takes it back
        otherprogram o;
        other = o.w;
        if (o.activate()) theirs = minimized(v);
        QTest::mouseClick(h.view(p.Form2).widget(p.Form2.Button5), Qt::LeftButton); // "Стоп"
    });
    QTest::mouseClick(h.view(p.Form1).widget(p.Form1.Button1), Qt::LeftButton);
    EXPECT_EQ(ours, std::make_tuple(true, dialog, dialog));
    EXPECT_EQ(theirs, std::make_tuple(true, other, other))
        << "the keyboard taken from another program";
}

TEST_F(Screen, BringingTheActiveWindowForwardAsksForNoActivation) {
    if (!windowmanager()) return; // activation is asked of the window manager alone
    QWidget& main = h.view(p.Form1);
    // Qt sends its requests to the window manager to either mask.
    const std::uint32_t notify =
                            XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                        none = 0;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &notify);
    // The activations of the main window the program has asked for since last asked.
    auto asked = [&] {
        uiqt::xdisplay::roundtrip(); // the program's requests carried out
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // their events read
        int n = 0;
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
            n += (e->response_type & 0x7f) == XCB_CLIENT_MESSAGE && m->window == main.winId() &&
                 m->type == atom("_NET_ACTIVE_WINDOW");
            free(e);
        }
        return n;
    };
    std::vector<int> seen;
    h.show(p.Form5); // another of its windows active
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.view(p.Form5)));
    seen.push_back(asked());
    h.bringtofront(p.Form1);
    seen.push_back(asked());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    for (int i = 0; i < 3; ++i) h.bringtofront(p.Form1);
    seen.push_back(asked());
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &none);
    h.hide(p.Form5);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 0}));
}

// Brought forward just after it was minimized, before the program has heard of it,
// the window comes back all the same.
TEST_F(Screen, AWindowBroughtForwardAsItIsMinimizedComesBack) {
    if (!windowmanager()) return; // no one minimizes
    QWidget& main = h.view(p.Form1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    iconify(main);
    ASSERT_TRUE(testqt::untilblocked([&] { return !viewable(main); }));
    h.bringtofront(p.Form1);
    EXPECT_TRUE(testqt::until([&] { return viewable(main); }));
}

TEST_F(Screen, TheRenameEditorTakesEscForCancel) {
    const auto folder = music.path() / "x";
    std::filesystem::create_directories(folder);
    testutil::writefile(folder / "1.mp3", mp3fixture::basemp3());
    mp3fixture::tagwithmutagen({{folder / "1.mp3", {u"A", u"T", u"B", u"1990", u"1"}}});
    forms::TForm1& f = p.Form1;
    f.Label1.caption = music.u16();
    QTest::mouseClick(h.view(f).widget(f.CheckBox3), Qt::LeftButton); // folders renamed
    QTest::mouseClick(h.view(f).widget(f.Button1), Qt::LeftButton);
    const int row = int(std::ranges::find_if(f.ListView1.items,
                                             [](const std::u16string& l) {
                                                 return l.starts_with(u"  > Переименовать");
                                             }) -
                        f.ListView1.items.begin());
    ASSERT_LT(row, int(f.ListView1.items.size()));
    const std::u16string line = f.ListView1.items[row];
    int result = -1;
    when(h.view(p.Form2), [&] {
        QWidget* name = h.view(p.Form2).widget(p.Form2.Edit2);
        QTest::mouseClick(name, Qt::LeftButton);
        QTest::keyClicks(name, "new");
        QTest::keyClick(name, Qt::Key_Escape);
        result = p.Form2.modalresult;
        if (!result) p.Form2.modalresult = forms::mrOk, h.handled();
    });
    QListView* list = h.view(f).listof(f.ListView1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualRect(list->model()->index(row, 0)).center());
    EXPECT_EQ(result, forms::mrCancel);
    EXPECT_EQ(f.ListView1.items[row], line);
}
