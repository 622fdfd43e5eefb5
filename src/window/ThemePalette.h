#pragma once

#include "theme/AppTheme.h"

#include <QPalette>

class QWidget;

// Turns a theme into the palette of a main window: the theme's appearance
// picks a light or a dark palette, or keeps the system one, and the theme's
// accent becomes the highlight, so that selections, focus rings, check boxes
// and progress bars all carry it.
class ThemePalette
{
public:
    static QPalette palette(AppTheme theme, const QPalette &systemPalette);
    static QPalette lightPalette();
    static QPalette darkPalette();
    // Whether text is drawn light on dark in this palette.
    static bool isDark(const QPalette &palette);
    // Gives the window the theme's look. Dialogs and pop-ups it opens follow
    // only if they carry Qt::WA_WindowPropagation.
    static void apply(QWidget *window, AppTheme theme, const QPalette &systemPalette);
};
