#pragma once

#include <QColor>
#include <QPalette>
#include <QPixmap>
#include <QString>

class QFrame;
class QHBoxLayout;
class QPushButton;
class QWidget;

// The look the browser's own warning pages share (the screening's and the
// certificate's), so that both read as the same voice.
class WarningPageStyle
{
public:
    static constexpr int iconDiameter = 100;

    static QString labelStyle(const QColor &color);
    // Puts a widget in the middle of a row, as wide as the row allows up to
    // its own maximum width: the heavy stretch of the widget wins over the
    // spacers until the maximum is reached.
    static QHBoxLayout *centredRow(QWidget *widget);
    // The glyph on a pale red disc that heads the page.
    static QPixmap icon(const QString &glyph);
    // The framed box that says what is wrong, and the line inside it; style
    // sheets take palette colours when set, so call again on every change.
    static void styleDetailBox(QFrame *box, QFrame *divider, const QPalette &palette);
    // Going on past a warning is offered, never suggested: plain and dimmed.
    static void styleProceedButton(QPushButton *button, const QColor &secondary);
};
