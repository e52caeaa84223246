// Buttons, boxes and labels that keep a picture of themselves. The dialogs of
// a run are hidden and shown again for every folder that needs an answer,
// and the toolkit paints a window shown again whole; their buttons, boxes and
// questions mostly look as they did at the last showing, and drawing their
// captions' glyphs again was a good part of what a showing cost.
#pragma once

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>

namespace uiqt {

// All that a widget's picture is drawn from.
struct keptlook {
    QRect rect;
    QString text;
    qint64 values[3] = {}; // the rest its kind draws from: state, alignment, ...
    qint64 palette = 0;
    QFont font;
    qreal ratio = 0;
    const QStyle* style = nullptr;
    bool operator==(const keptlook&) const = default;
};

// Paints from a picture while nothing it was drawn from (`look`) has
// changed; `draw` draws what B's own paint event would. Two pictures, as a
// widget goes back and forth between two looks (with the focus and without,
// in the active window and behind a dialog).
template <typename B>
class kept : public B {
public:
    using B::B;

protected:
    virtual keptlook look() const = 0;
    virtual void draw(QPainter& p) const = 0;

    void paintEvent(QPaintEvent*) override {
        const keptlook now = look();
        int i = last_;
        if (picture_[i].isNull() || !(now == drawn_[i])) i = 1 - i;
        if (picture_[i].isNull() || !(now == drawn_[i])) {
            i = 1 - last_; // the older picture gives way
            picture_[i] = QPixmap(this->size() * now.ratio);
            picture_[i].setDevicePixelRatio(now.ratio);
            picture_[i].fill(Qt::transparent);
            QPainter p(&picture_[i]);
            // As a painter on the widget itself begins.
            p.setFont(QFont(this->font(), this));
            p.setPen(QPen(this->palette().brush(this->foregroundRole()), 1));
            p.setBackground(this->palette().brush(this->backgroundRole()));
            p.setLayoutDirection(this->layoutDirection());
            draw(p);
            drawn_[i] = now;
        }
        last_ = i;
        QPainter(this).drawPixmap(0, 0, picture_[i]);
    }

private:
    keptlook drawn_[2];
    QPixmap picture_[2];
    int last_ = 0;
};

// A push button, check box or radio box: draws `element` from its style
// option, as its own paint event does.
template <typename B, QStyle::ControlElement element>
class keptbutton : public kept<B> {
public:
    using kept<B>::kept;

protected:
    keptlook look() const override {
        QStyleOptionButton opt;
        this->initStyleOption(&opt);
        return {opt.rect,
                opt.text,
                {static_cast<qint64>(opt.state) | qint64(opt.features) << 32, opt.icon.cacheKey(),
                 opt.direction | qint64(opt.iconSize.width()) << 8 |
                     qint64(opt.iconSize.height()) << 32},
                opt.palette.cacheKey(),
                this->font(),
                this->devicePixelRatioF(),
                this->style()};
    }
    void draw(QPainter& p) const override {
        QStyleOptionButton opt;
        this->initStyleOption(&opt);
        this->style()->drawControl(element, &opt, &p, this);
    }
};

// A label of plain text without frame, margin or indent, as the windows'
// labels are: draws its text as the toolkit's label does.
class keptlabel : public kept<QLabel> {
public:
    using kept<QLabel>::kept;

protected:
    keptlook look() const override {
        QStyleOption opt;
        opt.initFrom(this);
        return {rect(),
                text(),
                {static_cast<qint64>(alignment()), static_cast<qint64>(opt.state), 0},
                opt.palette.cacheKey(),
                font(),
                devicePixelRatioF(),
                style()};
    }
    void draw(QPainter& p) const override {
        QStyleOption opt;
        opt.initFrom(this);
        const Qt::LayoutDirection direction =
            text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
        const int flags =
            static_cast<int>(QStyle::visualAlignment(direction, alignment())) |
            (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
        style()->drawItemText(&p, contentsRect(), flags, opt.palette, isEnabled(), text(),
                              foregroundRole());
    }
};

} // namespace uiqt
