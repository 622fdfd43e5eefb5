#pragma once

#include <QColor>
#include <QPalette>

// A dark palette like the one a dark theme gives the window, for checking
// that views stay readable on it.
inline QPalette darkTestPalette()
{
    QPalette palette(QColor(56, 56, 56), QColor(38, 38, 38));
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, QColor(232, 232, 232));
        palette.setColor(group, QPalette::Text, QColor(232, 232, 232));
        palette.setColor(group, QPalette::ButtonText, QColor(232, 232, 232));
        palette.setColor(group, QPalette::Base, QColor(30, 30, 30));
        palette.setColor(group, QPalette::PlaceholderText, QColor(150, 150, 150));
        palette.setColor(group, QPalette::Mid, QColor(48, 48, 48));
    }
    return palette;
}

// Compares colours as painted: anti-aliasing and the style move them a little.
inline bool closeTo(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 6 && qAbs(a.green() - b.green()) <= 6
        && qAbs(a.blue() - b.blue()) <= 6;
}
