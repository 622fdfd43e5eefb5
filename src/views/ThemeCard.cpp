#include "views/ThemeCard.h"

#include "views/SymbolIcon.h"
#include "views/ViewStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int padding = 12;
constexpr int spacing = 12;
constexpr int swatchSide = 24;
constexpr int checkSide = 18;
constexpr qreal cornerRadius = 10;
constexpr qreal outlineWidth = 2;

QFont nameFont()
{
    return ViewStyle::systemFont(13, QFont::Medium);
}

} // namespace

ThemeCard::ThemeCard(AppTheme theme, QWidget *parent)
    : QAbstractButton(parent)
    , m_theme(theme)
{
    setCheckable(true);
    setText(displayName(theme));
    setFont(nameFont());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(displayName(theme));
}

QColor ThemeCard::backgroundColor() const
{
    return isChecked() ? backgroundTint(m_theme) : palette().color(QPalette::Base);
}

QColor ThemeCard::outlineColor() const
{
    return isChecked() ? accentColor(m_theme) : QColor(Qt::transparent);
}

QSize ThemeCard::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int textHeight = fontMetrics().height();
    return {padding + swatchSide + spacing + textWidth + spacing + checkSide + padding,
            padding + qMax(swatchSide, textHeight) + padding};
}

QSize ThemeCard::minimumSizeHint() const
{
    const QSize hint = sizeHint();
    return {padding + swatchSide + spacing + 80 + padding, hint.height()};
}

void ThemeCard::nextCheckState()
{ }

void ThemeCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The outline is drawn over the fill, inside the card's bounds.
    const QRectF card = QRectF(rect()).adjusted(outlineWidth / 2, outlineWidth / 2,
                                                -outlineWidth / 2, -outlineWidth / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(backgroundColor());
    painter.drawRoundedRect(card, cornerRadius, cornerRadius);
    if (isChecked()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(outlineColor(), outlineWidth));
        painter.drawRoundedRect(card, cornerRadius, cornerRadius);
    } else if (hasFocus()) {
        QColor focus = palette().color(QPalette::Highlight);
        focus.setAlphaF(0.5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(focus, 1));
        painter.drawRoundedRect(card, cornerRadius, cornerRadius);
    }

    const qreal centreY = height() / 2.0;
    const QRectF swatch(padding, centreY - swatchSide / 2.0, swatchSide, swatchSide);
    QColor swatchOutline = palette().color(QPalette::Text);
    swatchOutline.setAlphaF(0.2);
    painter.setBrush(accentColor(m_theme));
    painter.setPen(QPen(swatchOutline, 1));
    painter.drawEllipse(swatch.adjusted(0.5, 0.5, -0.5, -0.5));

    const qreal textLeft = swatch.right() + spacing;
    qreal textRight = width() - padding;
    if (isChecked()) {
        const QRectF check(width() - padding - checkSide, centreY - checkSide / 2.0, checkSide,
                           checkSide);
        painter.drawPixmap(check.topLeft(),
                           SymbolIcon::pixmap(QStringLiteral("checkmark.circle.fill"),
                                              accentColor(m_theme), checkSide,
                                              devicePixelRatioF()));
        textRight = check.left() - spacing;
    }
    const QRectF textArea(textLeft, 0, qMax<qreal>(0, textRight - textLeft), height());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, int(textArea.width()));
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
}
