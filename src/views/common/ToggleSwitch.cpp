#include "views/common/ToggleSwitch.h"

#include "views/common/ThemeColors.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int trackWidth = 32;
constexpr int trackHeight = 18;
constexpr int knobMargin = 2;

} // namespace

ToggleSwitch::ToggleSwitch(QWidget *parent)
    : QAbstractButton(parent)
    , m_onColor(standardBlue())
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::setOnColor(const QColor &color)
{
    if (m_onColor == color)
        return;
    m_onColor = color;
    update();
}

QSize ToggleSwitch::sizeHint() const
{
    return {trackWidth, trackHeight};
}

QSize ToggleSwitch::minimumSizeHint() const
{
    return sizeHint();
}

void ToggleSwitch::nextCheckState()
{ }

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(&painter, rect(), isChecked(), m_onColor, palette(), isEnabled(), hasFocus());
}

void ToggleSwitch::paint(QPainter *painter, const QRectF &area, bool checked, const QColor &onColor,
                         const QPalette &palette, bool enabled, bool focused)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    const QRectF track = QRectF(0, 0, trackWidth, trackHeight)
                             .translated(area.left() + (area.width() - trackWidth) / 2.0,
                                         area.top() + (area.height() - trackHeight) / 2.0);
    // Off is a faint track of the text colour, which shows on light and dark
    // windows alike.
    QColor offColor = palette.color(QPalette::Text);
    offColor.setAlphaF(0.25);
    QColor trackColor = checked ? onColor : offColor;
    if (!enabled)
        trackColor.setAlphaF(trackColor.alphaF() * 0.4);
    painter->setPen(Qt::NoPen);
    painter->setBrush(trackColor);
    painter->drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);

    const qreal knobSide = trackHeight - 2 * knobMargin;
    const qreal knobX = checked ? track.right() - knobMargin - knobSide : track.left() + knobMargin;
    const QRectF knob(knobX, track.top() + knobMargin, knobSide, knobSide);
    painter->setBrush(QColor(0, 0, 0, 40));
    painter->drawEllipse(knob.translated(0, 0.5));
    painter->setBrush(Qt::white);
    painter->drawEllipse(knob);

    if (focused) {
        QColor ring = onColor;
        ring.setAlphaF(0.5);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(ring, 1.5));
        painter->drawRoundedRect(track.adjusted(-1, -1, 1, 1), trackHeight / 2.0 + 1,
                                 trackHeight / 2.0 + 1);
    }
    painter->restore();
}
