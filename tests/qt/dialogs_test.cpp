// The program's dialogs, rendered by the generic view from their models and
// answered through their real widgets.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

#include "help.h"
#include "qtext.h"
#include "qttest.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"

using namespace forms;
using namespace qttest;

namespace {

// Saves a picture of the window when VORLINDE_SCREENSHOTS names a folder.
void shoot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("VORLINDE_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    EXPECT_TRUE(w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png"));
}

struct program {
    TForm1 main;
    uiqt::qthost h;
    std::vector<std::u16string> urls;
    program() {
        main.owner = &h;
        h.urlopener = [this](const std::u16string& url) {
            urls.push_back(url);
            return true;
        };
        h.show(main);
    }
    template <typename W = QWidget>
    W* widget(form& f, const control& c) {
        return h.view(f).widgetas<W>(c);
    }
};

} // namespace

TEST(Dialogs, MissingDataDialogFiltersTheYearAndAnswers) {
    program p;
    TForm2 d(&p.main);
    d.owner = &p.h;
    d.Label5.caption = u"Кино - Группа крови: Нет альбома";
    d.Edit1.text = u"Кино";
    d.Button1.caption = u"Ok";
    d.Button2.visible = false;
    d.keepedits();
    int result = 0;
    later([&] {
        uiqt::formview& v = p.h.view(d);
        EXPECT_NEAR(v.windowOpacity(), 220 / 255.0, 0.01);
        EXPECT_FALSE(v.windowFlags() & Qt::WindowCloseButtonHint);
        auto* year = p.widget<QLineEdit>(d, d.Edit3);
        QTest::keyClicks(year, "19a88x7");
        EXPECT_EQ(d.Edit3.text, u"1988");                 // digits only, four at most
        EXPECT_TRUE(p.widget(d, d.Button7)->isVisible()); // "Вернуть" after an edit
        QTest::keyClick(year, Qt::Key_F1);
        shoot(&v, "form2-missing-data");
        click(p.widget(d, d.Button1));
    });
    result = p.h.showmodal(d);
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(d.Edit3.text, u"1988");
    ASSERT_FALSE(p.urls.empty());
    EXPECT_EQ(p.urls.back(), helpurl(u"tagmissing"));
}

TEST(Dialogs, UnifyDialogKeepsItsControlsConsistent) {
    program p;
    TForm3 d(&p.main);
    d.owner = &p.h;
    d.Label2.caption = u"/music/Сборник";
    d.Label1.caption = u"Найдены расхождения в тегах. Сделать одинаковыми?";
    d.ComboBox1.items = {u"Artist A", u"Artist B"};
    d.ComboBox1.text = u"Artist A";
    d.ComboBox2.items = {u"Album"};
    d.ComboBox2.text = u"Album";
    later([&] {
        uiqt::formview& v = p.h.view(d);
        shoot(&v, "form3-unify");
        // Unticking both boxes disables "Да" and the lists.
        auto box = [&](checkbox& c) {
            QTest::mouseClick(p.widget(d, c), Qt::LeftButton, {},
                              QPoint(p.widget(d, c)->width() - 6, 8));
        };
        box(d.CheckBox1);
        box(d.CheckBox2);
        EXPECT_FALSE(d.CheckBox1.checked || d.CheckBox2.checked);
        EXPECT_FALSE(p.widget(d, d.Button1)->isEnabled());
        EXPECT_FALSE(p.widget(d, d.ComboBox1)->isEnabled());
        box(d.CheckBox1);
        EXPECT_TRUE(p.widget(d, d.Button1)->isEnabled());
        // Typed into the artist list's field.
        QLineEdit* artist = p.widget<QComboBox>(d, d.ComboBox1)->lineEdit();
        artist->selectAll();
        QTest::keyClicks(artist, "VA");
        EXPECT_EQ(d.ComboBox1.text, u"VA");
        v.close(); // the close box answers "Нет"
    });
    EXPECT_EQ(p.h.showmodal(d), mrCancel);
}

TEST(Dialogs, ProgressWindowStaysOnTopAndGoesWithItsModel) {
    program p;
    auto progress = std::make_unique<TForm4>();
    progress->owner = &p.h;
    progress->open();
    uiqt::formview* v = p.h.findview(*progress);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->isVisible());
    EXPECT_TRUE(v->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(v->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(v->size(), QSize(510, 114));
    progress->setbatchposition(33);
    progress->setlabel(u"Файл 1 из 3 (01 Кино.mp3)");
    p.h.paintinterval = 0;
    progress->repaintnow();
    EXPECT_EQ(p.widget<QLabel>(*progress, progress->Label1)->text(),
              QStringLiteral("Файл 1 из 3 (01 Кино.mp3)"));
    shoot(v, "form4-progress");
    progress->close();
    EXPECT_FALSE(v->isVisible());
    // Made anew for every batch: the old window goes with its model.
    const std::size_t views = p.h.viewcount();
    progress.reset();
    EXPECT_EQ(p.h.viewcount(), views - 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Dialogs, AboutBoxLinkOpensTheSite) {
    program p;
    TForm5 d;
    d.owner = &p.h;
    later([&] {
        auto* link = p.widget<QLabel>(d, d.Label3);
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
        shoot(&p.h.view(d), "form5-about");
        click(p.widget(d, d.Button1));
    });
    EXPECT_EQ(p.h.showmodal(d), mrCancel);
    ASSERT_EQ(p.urls.size(), 1u);
    EXPECT_EQ(p.urls[0], siteurl());
}

TEST(Dialogs, LookupWindowsShowAndChoose) {
    program p;
    TForm6 wait;
    TForm7 choose;
    wait.owner = choose.owner = &p.h;
    p.h.show(wait);
    EXPECT_FALSE(p.h.view(wait).windowFlags() & Qt::WindowCloseButtonHint);
    shoot(&p.h.view(wait), "form6-wait");
    choose.ComboBox1.items = {u"Группа крови (1988) [\"LP\"]", u"Группа крови (2012) [\"CD\"]"};
    choose.ComboBox1.text = choose.ComboBox1.items[0];
    later([&] {
        auto* combo = p.widget<QComboBox>(choose, choose.ComboBox1);
        EXPECT_EQ(combo->count(), 2);
        emit combo->activated(1);
        shoot(&p.h.view(choose), "form7-choose");
        click(p.widget(choose, choose.Button1));
    });
    EXPECT_EQ(p.h.showmodal(choose), mrOk);
    EXPECT_EQ(choose.ComboBox1.itemindex, 1);
    p.h.hide(wait);
    EXPECT_FALSE(p.h.view(wait).isVisible());
}

TEST(Dialogs, WaitWindowShowsItsTextInTheMiddle) {
    program p;
    TForm6 wait;
    wait.owner = &p.h;
    p.h.show(wait);
    const QImage img = p.h.view(wait).grab().toImage();
    // The bounds of the dark pixels: the bold black text.
    QRect text;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 96) text |= QRect(x, y, 1, 1);
    ASSERT_FALSE(text.isEmpty());
    const QPointF middle = QRectF(img.rect()).center();
    EXPECT_LE(std::abs(QRectF(text).center().x() - middle.x()), 2.0);
    EXPECT_LE(std::abs(QRectF(text).center().y() - middle.y()), 3.0);
    p.h.hide(wait);
}

TEST(Dialogs, SettingsDialogRadioButtonsExcludeEachOther) {
    program p;
    TForm8 d;
    d.owner = &p.h;
    d.setsortorder(6);
    d.Edit4.text = u"VA";
    later([&] {
        auto* byartist = p.widget<QRadioButton>(d, d.RadioButton2);
        QTest::mouseClick(byartist, Qt::LeftButton, {}, QPoint(6, byartist->height() / 2));
        EXPECT_EQ(d.sortorder(), 2);
        EXPECT_FALSE(p.widget<QRadioButton>(d, d.RadioButton6)->isChecked());
        EXPECT_TRUE(byartist->isChecked());
        QTest::keyClick(p.widget(d, d.Edit4), Qt::Key_F1);
        shoot(&p.h.view(d), "form8-settings");
        click(p.widget(d, d.Button1));
    });
    EXPECT_EQ(p.h.showmodal(d), mrOk);
    ASSERT_FALSE(p.urls.empty());
    EXPECT_EQ(p.urls.back(), helpurl(u"compsetup"));
}
