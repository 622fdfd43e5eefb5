#include "views/common/ThemeColors.h"

QColor accentColor(AppTheme theme)
{
    switch (theme) {
    case AppTheme::system:
    case AppTheme::light:
    case AppTheme::dark:
        return standardBlue();
    case AppTheme::corisaPink:
        return QColor::fromRgbF(0.98f, 0.38f, 0.58f);
    case AppTheme::velmoraBlue:
        return QColor::fromRgbF(0.2f, 0.55f, 0.98f);
    case AppTheme::emerald:
        return QColor::fromRgbF(0.1f, 0.72f, 0.5f);
    case AppTheme::sunset:
        return QColor::fromRgbF(0.96f, 0.45f, 0.15f);
    case AppTheme::cyberPurple:
        return QColor::fromRgbF(0.55f, 0.35f, 0.95f);
    }
    Q_UNREACHABLE();
}

QColor backgroundTint(AppTheme theme)
{
    switch (theme) {
    case AppTheme::system:
    case AppTheme::light:
    case AppTheme::dark: {
        QColor tint = standardBlue();
        tint.setAlphaF(0.15f);
        return tint;
    }
    case AppTheme::corisaPink:
        return QColor::fromRgbF(1.0f, 0.85f, 0.92f);
    case AppTheme::velmoraBlue:
        return QColor::fromRgbF(0.85f, 0.93f, 1.0f);
    case AppTheme::emerald:
        return QColor::fromRgbF(0.85f, 0.98f, 0.92f);
    case AppTheme::sunset:
        return QColor::fromRgbF(1.0f, 0.92f, 0.85f);
    case AppTheme::cyberPurple:
        return QColor::fromRgbF(0.92f, 0.88f, 1.0f);
    }
    Q_UNREACHABLE();
}

QColor standardBlue()
{
    return QColor(0, 122, 255);
}

QColor textOnAccent(const QColor &accent)
{
    return accent.lightnessF() > 0.75 ? QColor(Qt::black) : QColor(Qt::white);
}
