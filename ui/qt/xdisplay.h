// What the windows need from an X display beyond Qt's own calls: the
// caption-bar buttons asked of the window manager, a minimized window shown
// again without the keyboard, whether a compositing manager keeps the
// windows' pictures, a round trip after which the server has carried out
// what was sent, which window the server gave the keyboard to, and when the
// window manager has taken a hidden window's frame away. On other displays
// each does nothing, or what Qt does.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace uiqt::xdisplay {

// The parts of a window's frame; the title and the border are always there.
struct frame {
    bool close = false; // the close box and the window menu that holds it
    bool minimize = false;
    bool maximize = false;
    bool resize = false;
};

// Asks the window manager for exactly these parts, through both halves of
// its hints, the decorations and the functions. Qt asks for a window without
// buttons through the functions alone, so managers that draw from the
// decorations show every button. The window's X window is made if need be;
// Qt writes its own hints whenever the window's flags are set, so this is
// asked again after that, before the window is mapped.
void askframe(QWidget& window, const frame& f);

// Brings a minimized window back without asking for the keyboard: the window
// manager is asked to change its state to normal (mapping it, as Qt does,
// asks to make it the active one). The protocol defines that request for
// minimizing only: openbox takes it, other managers may leave the window
// minimized. Elsewhere the window is restored as Qt restores it.
void restore(QWidget& window);

// Whether the window manager has minimized the window, as the server holds
// it now; Qt learns of it only once it has handled the events that tell.
// Elsewhere what Qt knows.
bool iconic(const QWidget& window);

// A compositing manager keeps every window's picture: a window uncovered
// is not asked to paint again.
bool composited();

// Returns once the server has handled every request sent before, and the
// events it raised meanwhile have reached the application.
void roundtrip();

// Watches the frame a window manager put round a window the caller has just
// hidden: gone() once the frame is unmapped or destroyed. By then the server
// has sent the windows below their requests to paint what it uncovered, or
// sends them next (handleevents() brings them). A window without a frame (no
// window manager) has none to wait for; finding that out is a round trip.
class framewatch {
public:
    explicit framewatch(const QWidget& hidden);
    ~framewatch();
    framewatch(const framewatch&) = delete;
    framewatch& operator=(const framewatch&) = delete;
    bool gone() const;

private:
    class filter;
    std::unique_ptr<filter> filter_;
};

// Returns once Qt has handled every event the server sent before the call
// (the requests to paint among them, the paints they ask for not yet): a
// change of a property of `own`, one of the program's windows, comes back
// behind them. Gives up after a few seconds against a server that hangs.
void handleevents(QWidget& own);

// Tells which of the program's windows the server has given the keyboard to,
// once the toolkit has handled the events that came with it, if that window
// still has it then. Watches while it exists; on other displays it tells
// nothing.
class focuswatch {
public:
    explicit focuswatch(std::function<void(unsigned long window)> focused);
    ~focuswatch();
    focuswatch(const focuswatch&) = delete;
    focuswatch& operator=(const focuswatch&) = delete;

private:
    class filter;
    std::unique_ptr<filter> filter_;
};

} // namespace uiqt::xdisplay
