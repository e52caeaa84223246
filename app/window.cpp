#include "window.h"

#include <QEvent>
#include <QObject>

namespace app {

namespace {

class busyfilter : public QObject {
public:
    busyfilter(ui::program& p, QObject* parent) : QObject(parent), p_(p) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            if (!p_.running && !p_.applying) return false;
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    ui::program& p_;
};

} // namespace

void bindviews(uiqt::qthost& h, ui::program& p) {
    uiqt::formview& v = h.view(p.Form1);
    v.setlinestyle(p.Form1.ListView1, [&p](int row) { return ui::linestyle(p.c, row); });
    v.setdrophandler([&p](const std::vector<std::u16string>& paths) {
        if (p.Form1.ondrop) p.Form1.ondrop(paths);
    });
    v.installEventFilter(new busyfilter(p, &v));
}

} // namespace app
