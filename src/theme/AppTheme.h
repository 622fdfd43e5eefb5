#pragma once

#include <QList>
#include <QString>

#include <optional>

// The eight colour themes; declaration order is the order of every theme list.
enum class AppTheme {
    system,
    light,
    dark,
    corisaPink,
    velmoraBlue,
    emerald,
    sunset,
    cyberPurple,
};

// The appearance a theme forces; none means follow the system.
enum class ColorScheme { light, dark };

QList<AppTheme> allAppThemes();
QString rawValue(AppTheme theme);
std::optional<AppTheme> appThemeFromRawValue(const QString &raw);
QString displayName(AppTheme theme);
std::optional<ColorScheme> colorScheme(AppTheme theme);
