#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

// Shared look helpers, so that every view draws buttons, badges and text
// styles the same way. Sizes are in device-independent pixels (one point).
class ViewStyle
{
public:
    // Text styles of the toolkit, mapped to pixel sizes.
    enum class TextStyle { title2, headline, body, subheadline, caption, caption2 };
    static QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
    static QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
    static QFont monospaceFont(int pixelSize, QFont::Weight weight = QFont::Normal);

    // Standard semantic colours.
    static QColor red();
    static QColor green();
    static QColor orange();
    static QColor secondaryText(const QWidget *widget);

    static QString rgba(const QColor &color, qreal opacity = 1.0);

    // A filled button in the accent colour (the "prominent bordered" style).
    static void makeProminent(QAbstractButton *button, const QColor &accent,
                              int paddingHorizontal = 12, int paddingVertical = 6);
    // A plain bordered button.
    static void makeBordered(QAbstractButton *button, int paddingHorizontal = 10,
                             int paddingVertical = 6);
    // No border, no fill: only the label or icon.
    static void makePlain(QAbstractButton *button);

    // A rounded tag: text on a tinted background.
    static void makeBadge(QLabel *label, const QColor &background, const QColor &foreground,
                          int cornerRadius, int paddingHorizontal, int paddingVertical);

    // Rich text for a label whose emoji must show in colour. A character with
    // the emoji variation selector (U+FE0F) is otherwise drawn in black and
    // white from the first text font that has it (the signs in "⚠️", "☀️").
    static QString colorEmojiRichText(const QString &plainText);

    // The bordered style in explicit colours of the given palette. A widget
    // with a style sheet keeps the palette it had when the sheet was set, so
    // a view that follows light and dark appearances calls this again with
    // its own new palette.
    static void makeBordered(QAbstractButton *button, const QPalette &palette,
                             int paddingHorizontal = 10, int paddingVertical = 6);
};
