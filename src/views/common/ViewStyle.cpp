#include "views/common/ViewStyle.h"

#include "views/common/ThemeColors.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace {

int pixelSize(ViewStyle::TextStyle style)
{
    switch (style) {
    case ViewStyle::TextStyle::title2:
        return 17;
    case ViewStyle::TextStyle::headline:
        return 13;
    case ViewStyle::TextStyle::body:
        return 13;
    case ViewStyle::TextStyle::subheadline:
        return 11;
    case ViewStyle::TextStyle::caption:
        return 10;
    case ViewStyle::TextStyle::caption2:
        return 10;
    }
    return 13;
}

} // namespace

QFont ViewStyle::font(TextStyle style, QFont::Weight weight)
{
    // Headline is bold by definition of the style.
    if (style == TextStyle::headline && weight == QFont::Normal)
        weight = QFont::Bold;
    return systemFont(pixelSize(style), weight);
}

QFont ViewStyle::systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont ViewStyle::monospaceFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QColor ViewStyle::red()
{
    return QColor(255, 59, 48);
}

QColor ViewStyle::green()
{
    return QColor(52, 199, 89);
}

QColor ViewStyle::orange()
{
    return QColor(255, 149, 0);
}

QColor ViewStyle::secondaryText(const QWidget *widget)
{
    const QPalette palette = widget ? widget->palette() : QPalette();
    return palette.color(QPalette::PlaceholderText);
}

QString ViewStyle::rgba(const QColor &color, qreal opacity)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF() * opacity, 0, 'f', 3);
}

void ViewStyle::makeProminent(QAbstractButton *button, const QColor &accent, int paddingHorizontal,
                              int paddingVertical)
{
    const QColor pressed = accent.darker(120);
    const QColor text = textOnAccent(accent);
    button->setStyleSheet(
        QStringLiteral("QAbstractButton { background: %1; color: %2; border: none;"
                       " border-radius: 6px; padding: %3px %4px; }"
                       "QAbstractButton:pressed { background: %5; }"
                       "QAbstractButton:disabled { background: %6; color: %7; }")
            .arg(rgba(accent), rgba(text))
            .arg(paddingVertical)
            .arg(paddingHorizontal)
            .arg(rgba(pressed), rgba(accent, 0.35), rgba(text, 0.7)));
}

void ViewStyle::makeBordered(QAbstractButton *button, int paddingHorizontal, int paddingVertical)
{
    button->setStyleSheet(
        QStringLiteral("QAbstractButton { border: 1px solid palette(mid);"
                       " border-radius: 6px; background: palette(button);"
                       " padding: %1px %2px; }"
                       "QAbstractButton:pressed { background: palette(midlight); }")
            .arg(paddingVertical)
            .arg(paddingHorizontal));
}

void ViewStyle::makePlain(QAbstractButton *button)
{
    button->setStyleSheet(
        QStringLiteral("QAbstractButton { border: none; background: transparent; padding: 0px; }"));
    button->setCursor(Qt::PointingHandCursor);
}

void ViewStyle::makeBadge(QLabel *label, const QColor &background, const QColor &foreground,
                          int cornerRadius, int paddingHorizontal, int paddingVertical)
{
    label->setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; border-radius: %3px;"
                                        " padding: %4px %5px; }")
                             .arg(rgba(background), rgba(foreground))
                             .arg(cornerRadius)
                             .arg(paddingVertical)
                             .arg(paddingHorizontal));
}

QString ViewStyle::colorEmojiRichText(const QString &plainText)
{
    const QString emojiSpan
        = QStringLiteral("<span style=\"font-family: 'Noto Color Emoji';\">%1</span>");
    QString html;
    QString plain;
    qsizetype index = 0;
    while (index < plainText.size()) {
        qsizetype length
            = plainText.at(index).isHighSurrogate() && index + 1 < plainText.size() ? 2 : 1;
        const char32_t codePoint = QStringView(plainText).mid(index, length).toUcs4().value(0);
        const bool selector
            = index + length < plainText.size() && plainText.at(index + length) == QChar(0xFE0F);
        if (selector)
            ++length;
        if (selector || codePoint >= 0x1F000) {
            html += plain.toHtmlEscaped() + emojiSpan.arg(plainText.mid(index, length));
            plain.clear();
        } else {
            plain += plainText.mid(index, length);
        }
        index += length;
    }
    return html + plain.toHtmlEscaped();
}

void ViewStyle::makeBordered(QAbstractButton *button, const QPalette &palette,
                             int paddingHorizontal, int paddingVertical)
{
    button->setStyleSheet(
        QStringLiteral("QAbstractButton { border: 1px solid %1; border-radius: 6px;"
                       " background: %2; color: %3; padding: %4px %5px; }"
                       "QAbstractButton:pressed { background: %6; }")
            .arg(rgba(palette.color(QPalette::Mid)), rgba(palette.color(QPalette::Button)),
                 rgba(palette.color(QPalette::ButtonText)))
            .arg(paddingVertical)
            .arg(paddingHorizontal)
            .arg(rgba(palette.color(QPalette::Midlight))));
}
