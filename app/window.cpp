#include "window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QObject>
#include <QTranslator>

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

// The smallest main window at which every control stays visible and apart:
// the "i" button, which keeps to the right edge, stops short of Apply, and
// the report keeps a few lines.
QSize minimumsize(const forms::TForm1& f) {
    const int gap = 8, listheight = 100;
    return {f.width - (f.Button5.left - (f.Button3.left + f.Button3.width) - gap),
            f.height - (f.ListView1.height - listheight)};
}

} // namespace

void translateqt() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* t = new QTranslator(QCoreApplication::instance());
    if (t->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(t);
    else
        delete t;
}

void bindviews(uiqt::qthost& h, ui::program& p) {
    uiqt::formview& v = h.view(p.Form1);
    v.setlinestyle(p.Form1.ListView1, [&p](int row) { return ui::linestyle(p.c, row); });
    v.setlinetext(p.Form1.ListView1,
                  [&p](int row) -> const std::u16string& { return checker::linetext(p.c, row); });
    v.setdrophandler([&p](const std::vector<std::u16string>& paths) {
        if (p.Form1.ondrop) p.Form1.ondrop(paths);
    });
    v.installEventFilter(new busyfilter(p, &v));
    v.setMinimumSize(minimumsize(p.Form1));
    // Esc is the editor's close box too: what it wrote is re-planned either way.
    h.escapecloses = {&p.Form5, &p.Form7, &p.Form8, &p.Form10, &p.Form11};
    // The dialogs' windows exist from the start, hidden, as their models do:
    // a run's first dialog does not wait for its widgets to be built.
    for (forms::form* f : std::initializer_list<forms::form*>{
             &p.Form2, &p.Form3, &p.Form5, &p.Form6, &p.Form7, &p.Form8, &p.Form10, &p.Form11})
        h.view(*f).ensurePolished();
}

} // namespace app
