#pragma once

#include "theme/AppTheme.h"

#include <QColor>

// A theme's colours belong to the views; the theme model itself only names
// the theme and its appearance.
QColor accentColor(AppTheme theme);
QColor backgroundTint(AppTheme theme);
// The toolkit's standard blue, used by the first three themes and the
// "カスタム" badge.
QColor standardBlue();
// Text that reads on an accent-coloured fill: black on a pale accent, where
// white would vanish, and white on any other.
QColor textOnAccent(const QColor &accent);
