#include "views/settings/ThemeCard.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QPainter>
#include <QTextLayout>
#include <QtMath>

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

// The name wrapped into the given width. A leading emoji ("☀️ ライトモード")
// gets the colour emoji font explicitly: the system font has a black
// text-style sun and would win otherwise.
void layoutName(QTextLayout &layout, qreal width)
{
    const QString name = layout.text();
    const qsizetype space = name.indexOf(QLatin1Char(' '));
    if (space > 0 && !name.at(0).isLetterOrNumber()) {
        QTextLayout::FormatRange emoji;
        emoji.start = 0;
        emoji.length = int(space);
        QFont emojiFont = layout.font();
        emojiFont.setFamilies({QStringLiteral("Noto Color Emoji")});
        emoji.format.setFont(emojiFont);
        layout.setFormats({emoji});
    }
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);

    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

// Room for the name; the check mark's place is kept free on every card so
// that choosing a theme never re-wraps its name.
qreal nameWidth(int cardWidth)
{
    return qMax(40, cardWidth - padding - swatchSide - spacing - spacing - checkSide - padding);
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
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
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

QColor ThemeCard::nameColor() const
{
    const QColor text = palette().color(QPalette::Text);
    if (!isChecked())
        return text;
    // The tints are pale; on a dark window the light text would vanish on
    // them, so the current card then gets dark text.
    const QColor tint = backgroundColor();
    const QColor base = palette().color(QPalette::Base);
    const qreal alpha = tint.alphaF();
    const QColor fill = QColor::fromRgbF(tint.redF() * alpha + base.redF() * (1 - alpha),
                                         tint.greenF() * alpha + base.greenF() * (1 - alpha),
                                         tint.blueF() * alpha + base.blueF() * (1 - alpha));
    if (qAbs(fill.lightnessF() - text.lightnessF()) >= 0.4)
        return text;
    return fill.lightnessF() > 0.5 ? QColor(28, 28, 30) : QColor(242, 242, 247);
}

QSize ThemeCard::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int width = padding + swatchSide + spacing + textWidth + spacing + checkSide + padding;
    return {width, heightForWidth(width)};
}

QSize ThemeCard::minimumSizeHint() const
{
    const int width = padding + swatchSide + spacing + 80 + spacing + checkSide + padding;
    return {width, heightForWidth(width)};
}

bool ThemeCard::hasHeightForWidth() const
{
    return true;
}

int ThemeCard::heightForWidth(int width) const
{
    QTextLayout layout(text(), font());
    layoutName(layout, nameWidth(width));
    const int textHeight = qCeil(layout.boundingRect().height());
    return padding + qMax(swatchSide, textHeight) + padding;
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

    if (isChecked()) {
        const QPointF check(width() - padding - checkSide, centreY - checkSide / 2.0);
        painter.drawPixmap(check,
                           SymbolIcon::pixmap(QStringLiteral("checkmark.circle.fill"),
                                              accentColor(m_theme), checkSide,
                                              devicePixelRatioF()));
    }

    QTextLayout layout(text(), font());
    layoutName(layout, nameWidth(width()));
    const qreal textHeight = layout.boundingRect().height();
    painter.setPen(nameColor());
    layout.draw(&painter, QPointF(swatch.right() + spacing, centreY - textHeight / 2.0));
}
