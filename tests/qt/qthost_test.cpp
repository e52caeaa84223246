#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "help.h"
#include "qtext.h"
#include "qttest.h"
#include "testutil.h"
#include "tform1.h"

using namespace forms;
using namespace qttest;

namespace {

// Waits in the running modal loop until a modal widget of type W shows,
// then hands it to `what`.
template <typename W>
void whenmodal(std::function<void(W*)> what, int tries = 200) {
    later([what, tries] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            what(w);
        } else if (tries > 0) {
            whenmodal<W>(what, tries - 1);
        }
    });
}

} // namespace

TEST(QtHost, ShowModalReturnsTheResultOfTheButtonClicked) {
    dialog d;
    uiqt::qthost h;
    d.opacity = 220;
    d.closebox = false;
    d.stayontop = true;
    int shows = 0, closes = 0;
    d.onshow = [&] { ++shows; };
    d.onclose = [&] { ++closes; };
    bool visibleinside = false;
    later([&] {
        uiqt::formview* v = h.findview(d);
        visibleinside = v && v->isVisible() && v->isModal();
        // The close box is not there: a close request changes nothing.
        v->close();
        d.Edit1.text = u"1999"; // as if typed; the view refreshes on the click
        click(v->widget(d.Button2));
    });
    EXPECT_EQ(h.showmodal(d), mrAbort);
    EXPECT_TRUE(visibleinside);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(d.visible);
    uiqt::formview& v = h.view(d);
    EXPECT_FALSE(v.isVisible());
    EXPECT_NEAR(v.windowOpacity(), 220 / 255.0, 0.01);
    EXPECT_TRUE(v.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(v.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(v.size(), QSize(400, 260));

    // A second showing starts over and takes the other button's result.
    later([&] { click(h.view(d).widget(d.Button1)); });
    EXPECT_EQ(h.showmodal(d), mrOk);
    EXPECT_EQ(d.clicks, 1);
}

TEST(QtHost, CloseBoxGivesCancel) {
    dialog d;
    uiqt::qthost h;
    later([&] { h.view(d).close(); });
    EXPECT_EQ(h.showmodal(d), mrCancel);
    EXPECT_FALSE(h.view(d).isVisible());
    // A result set while the form is shown (by its onshow) ends at once.
    d.onshow = [&] { d.modalresult = mrIgnore; };
    EXPECT_EQ(h.showmodal(d), mrIgnore);
}

TEST(QtHost, NestedModalDialogsAndAHiddenOwner) {
    // As the rename question does with the unify dialog: the first dialog hides
    // itself, shows the second modally, then shows itself again.
    dialog outer, inner;
    uiqt::qthost h;
    int innerresult = -1;
    bool outerhidden = false;
    outer.Button1.modalresult = mrNone;
    outer.Button1.onclick = [&] {
        outer.visible = false;
        later([&] {
            outerhidden = !h.view(outer).isVisible();
            inner.ComboBox1.text = u"VA";
            click(h.view(inner).widget(inner.Button1));
        });
        innerresult = h.showmodal(inner);
        outer.visible = true;
        outer.Label1.caption = u"снова";
        later([&] { click(h.view(outer).widget(outer.Button2)); });
    };
    later([&] { click(h.view(outer).widget(outer.Button1)); });
    EXPECT_EQ(h.showmodal(outer), mrAbort);
    EXPECT_EQ(innerresult, mrOk);
    EXPECT_TRUE(outerhidden);
    EXPECT_FALSE(h.view(outer).isVisible());
    EXPECT_FALSE(h.view(inner).isVisible());
}

TEST(QtHost, ModelessWindowsRepaintAndPumps) {
    TForm1 f;
    dialog progress;
    uiqt::qthost h;
    h.paintinterval = 0;
    h.show(f);
    h.show(progress);
    EXPECT_TRUE(h.view(progress).isVisible());
    // A model change shows on a repaint without any event being handled.
    int clicks = 0;
    f.Button6.onclick = [&] { ++clicks; };
    QTest::mouseClick(h.view(f).widget(f.Button6), Qt::LeftButton); // sent directly: runs
    EXPECT_EQ(clicks, 1);
    progress.ProgressBar1.position = 33;
    progress.Label1.caption = u"Файл 1 из 3 (a.mp3)";
    h.repaint(progress);
    EXPECT_EQ(h.view(progress).widgetas<QLabel>(progress.Label1)->text(),
              QStringLiteral("Файл 1 из 3 (a.mp3)"));
    // Pending messages are handled by processmessages, and only then.
    bool ran = false;
    later([&] { ran = true; });
    h.repaint(f);
    EXPECT_FALSE(ran);
    h.processmessages();
    EXPECT_TRUE(ran);
    h.bringtofront(progress);
    h.hide(progress);
    EXPECT_FALSE(progress.visible);
    EXPECT_FALSE(h.view(progress).isVisible());
    // The main window's close box closes it; its model learns of it.
    int closes = 0;
    f.onclose = [&] { ++closes; };
    h.view(f).close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(f.visible);
    EXPECT_FALSE(h.view(f).isVisible());
}

// Counts the paints a widget receives.
struct paints : QObject {
    int n = 0;
    explicit paints(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++n;
        return false;
    }
};

TEST(QtHost, AWindowBehindADialogPaintsAtMostOnceAnInterval) {
    TForm1 f;
    dialog d;
    uiqt::qthost h;
    h.paintinterval = 200;
    f.owner = d.owner = &h;
    h.show(f);
    auto* root = h.view(f).widgetas<QLabel>(f.Label1);
    auto* asked = h.view(d).widgetas<QLabel>(d.Label1);
    paints behind(root), front(asked);
    std::vector<int> seen; // paints behind, and in front, from the first change on
    std::u16string shown;
    later([&] {
        QTest::qWait(450); // whatever was held back is painted, and an interval more
        const int b = behind.n, a = front.n;
        f.Label1.caption = u"/music/1";
        h.handled();
        QCoreApplication::processEvents();
        seen.push_back(behind.n - b); // painted at once
        f.Label1.caption = u"/music/2";
        h.handled();
        QCoreApplication::processEvents();
        seen.push_back(behind.n - b); // held back...
        shown = uiqt::u16(root->text());
        // ... while the dialog, where the user works, paints at once.
        d.Label1.caption = u"Введите год";
        h.handled();
        QCoreApplication::processEvents();
        seen.push_back(front.n - a);
        QTest::qWait(300);
        seen.push_back(behind.n - b); // ... until the interval has passed
        click(h.view(d).widget(d.Button1));
    });
    EXPECT_EQ(h.showmodal(d), mrOk);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[1], 1);
    EXPECT_EQ(shown, u"/music/2"); // the widget itself follows the model at once
    EXPECT_EQ(seen[2], 1);
    EXPECT_EQ(seen[3], 2);
    // A repaint the model asks for paints at once, whatever the interval.
    QTest::qWait(250);
    const int b = behind.n;
    f.Label1.caption = u"/music/3";
    h.repaint(f);
    EXPECT_EQ(behind.n - b, 1);
    f.Label1.caption = u"/music/4";
    h.repaint(f); // within the interval: shown with the next one
    EXPECT_EQ(uiqt::u16(root->text()), u"/music/3");
}

TEST(QtHost, MessageAndErrorBoxesAreRealBoxes) {
    uiqt::qthost h;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenmodal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    h.messagebox(u"Not found");
    EXPECT_EQ(text, QStringLiteral("Not found"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    whenmodal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    h.errorbox(u"Not found or access/parse error");
    EXPECT_EQ(text, QStringLiteral("Not found or access/parse error."));
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtHost, OpenedUrlsCanBeIntercepted) {
    TForm1 f;
    uiqt::qthost h;
    f.owner = &h;
    std::vector<std::u16string> urls;
    h.urlopener = [&](const std::u16string& url) {
        urls.push_back(url);
        return true;
    };
    // F1 as the main window's help handler reacts to it.
    f.Button1.onkeydown = [&](std::uint16_t& key, unsigned) {
        if (key == vkF1) openhelp(*f.owner, f.notstarted ? u"start" : u"editactions");
    };
    h.show(f);
    QTest::keyClick(h.view(f).widget(f.Button1), Qt::Key_F1);
    f.notstarted = false;
    QTest::keyClick(h.view(f).widget(f.Button1), Qt::Key_F1);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0], helpurl(u"start"));
    EXPECT_EQ(urls[1], helpurl(u"editactions"));
}

TEST(QtHost, FolderBrowserStartsAtTheRootAndGivesTheChoice) {
    testutil::tempdir dir;
    std::filesystem::create_directory(dir.path() / "Кино - Группа крови (1988)");
    std::filesystem::create_directory(dir.path() / "other");
    const std::u16string start = dir.u16(u"Кино - Группа крови (1988)");
    uiqt::qthost h;
    QString title;
    whenmodal<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        static_cast<QDialog*>(d)->accept();
    });
    std::u16string chosen;
    ASSERT_TRUE(h.browsefolder(u"Выбор каталога", start, chosen));
    EXPECT_EQ(chosen, start);
    EXPECT_EQ(title, QStringLiteral("Выбор каталога"));

    // Another folder chosen.
    whenmodal<QFileDialog>([&](QFileDialog* d) {
        d->selectFile(QStringLiteral("other"));
        static_cast<QDialog*>(d)->accept();
    });
    ASSERT_TRUE(h.browsefolder(u"t", start, chosen));
    EXPECT_EQ(chosen, dir.u16(u"other"));

    // Cancelled: no choice, the out value untouched.
    whenmodal<QFileDialog>([&](QFileDialog* d) { d->reject(); });
    chosen = u"unchanged";
    EXPECT_FALSE(h.browsefolder(u"t", u"", chosen));
    EXPECT_EQ(chosen, u"unchanged");
}
