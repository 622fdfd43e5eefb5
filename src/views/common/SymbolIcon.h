#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Maps the symbol names the interface uses (SF Symbols identifiers) to glyphs
// of the Material Icons font and paints them in a given colour. The one place
// that knows the map: every view asks here, so no button is ever blank.
class SymbolIcon
{
public:
    // The glyph for a symbol name; an unknown name falls back to a visible
    // "help" glyph rather than nothing.
    static QString glyph(const QString &symbolName);
    static bool isKnown(const QString &symbolName);
    static QFont font(int pixelSize);
    static QPixmap pixmap(const QString &symbolName, const QColor &color, int pixelSize,
                          qreal devicePixelRatio = 2.0);
    static QIcon icon(const QString &symbolName, const QColor &color, int pixelSize = 18);
    // Icon with a dimmed "disabled" state, for tool buttons.
    static QIcon buttonIcon(const QString &symbolName, const QColor &color,
                            const QColor &disabledColor, int pixelSize = 18);
};
