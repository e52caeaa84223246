// Push buttons and boxes that keep a picture of themselves. The dialogs of a
// run are hidden and shown again for every folder that needs an answer, and
// the toolkit paints a window shown again whole; their buttons and boxes
// mostly look as they did at the last showing, and drawing their captions'
// glyphs again was a good part of what a showing cost.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>

namespace uiqt {

// All that a button's picture is drawn from: the style's option, the font,
// the scale and the style.
struct buttonlook {
    QRect rect;
    int state = 0, features = 0, direction = 0;
    QString text;
    qint64 palette = 0, icon = 0;
    QSize iconsize;
    QFont font;
    qreal ratio = 0;
    const QStyle* style = nullptr;
    bool operator==(const buttonlook&) const = default;
};

// B: a push button, check box or radio box, whose own paint event draws
// `element` from its style option. Paints from its picture while nothing the
// picture was drawn from has changed. Two pictures, as a button goes back
// and forth between two looks (with the focus and without, in the active
// window and behind a dialog).
template <typename B, QStyle::ControlElement element>
class keptbutton : public B {
public:
    using B::B;

protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionButton opt;
        this->initStyleOption(&opt);
        const buttonlook now{opt.rect,
                             static_cast<int>(opt.state),
                             static_cast<int>(opt.features),
                             opt.direction,
                             opt.text,
                             opt.palette.cacheKey(),
                             opt.icon.cacheKey(),
                             opt.iconSize,
                             this->font(),
                             this->devicePixelRatioF(),
                             this->style()};
        int i = last_;
        if (picture_[i].isNull() || !(now == drawn_[i])) i = 1 - i;
        if (picture_[i].isNull() || !(now == drawn_[i])) {
            i = 1 - last_; // the older picture gives way
            picture_[i] = QPixmap(this->size() * now.ratio);
            picture_[i].setDevicePixelRatio(now.ratio);
            picture_[i].fill(Qt::transparent);
            QPainter p(&picture_[i]);
            // As a painter on the widget itself begins.
            p.setFont(this->font());
            p.setPen(opt.palette.color(this->foregroundRole()));
            p.setBrush(opt.palette.brush(this->backgroundRole()));
            p.setLayoutDirection(this->layoutDirection());
            this->style()->drawControl(element, &opt, &p, this);
            drawn_[i] = now;
        }
        last_ = i;
        QPainter(this).drawPixmap(0, 0, picture_[i]);
    }

private:
    buttonlook drawn_[2];
    QPixmap picture_[2];
    int last_ = 0;
};

} // namespace uiqt
