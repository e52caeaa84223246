// The windows' labels paint from a kept picture: it must look as the
// toolkit's own label does, in every look the label takes, and follow it.
#include <gtest/gtest.h>

#include <QtWidgets>

#include "keptbutton.h"

namespace {

// The largest difference of a colour channel between two pictures.
int difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32),
                 y = b.convertToFormat(QImage::Format_ARGB32);
    int most = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

TEST(Kept, LabelsLookAsTheToolkitsOwnInEveryLookTheyTake) {
    QWidget window;
    window.resize(420, 120);
    auto* kept = new uiqt::keptlabel(&window);
    auto* plain = new QLabel(&window);
    for (QLabel* l : {static_cast<QLabel*>(kept), plain}) {
        l->setTextFormat(Qt::PlainText);
        l->resize(400, 24);
    }
    plain->move(0, 40);
    window.show();
    struct look {
        const char* what;
        std::function<void(QLabel&)> set;
    };
    const look looks[] = {
        {"latin", [](QLabel& l) { l.setText("Artist - Album (1999)"); }},
        {"cyrillic", [](QLabel& l) { l.setText(QString::fromUtf8("Исполнитель — Альбом")); }},
        {"right", [](QLabel& l) { l.setAlignment(Qt::AlignRight | Qt::AlignVCenter); }},
        {"bold", [](QLabel& l) {
             QFont f = l.font();
             f.setBold(true);
             l.setFont(f);
         }},
        {"disabled", [](QLabel& l) { l.setEnabled(false); }},
        {"enabled", [](QLabel& l) { l.setEnabled(true); }},
        {"navy", [](QLabel& l) {
             QPalette p = l.palette();
             p.setColor(QPalette::WindowText, QColor(0, 0, 128));
             l.setPalette(p);
         }},
        {"back to latin", [](QLabel& l) { l.setText("Artist - Album (1999)"); }},
        {"ampersand", [](QLabel& l) { l.setText("Rock & Roll"); }},
        {"hebrew", [](QLabel& l) { l.setText(QString::fromUtf8("שלום עולם")); }},
    };
    for (const look& k : looks) {
        k.set(*kept), k.set(*plain);
        const int d = difference(kept->grab().toImage(), plain->grab().toImage());
        EXPECT_EQ(d, 0) << k.what;
    }
}

} // namespace
