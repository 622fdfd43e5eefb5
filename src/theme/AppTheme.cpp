#include "theme/AppTheme.h"

QList<AppTheme> allAppThemes()
{
    return {AppTheme::system,      AppTheme::light,   AppTheme::dark,   AppTheme::corisaPink,
            AppTheme::velmoraBlue, AppTheme::emerald, AppTheme::sunset, AppTheme::cyberPurple};
}

QString rawValue(AppTheme theme)
{
    switch (theme) {
    case AppTheme::system:
        return QStringLiteral("system");
    case AppTheme::light:
        return QStringLiteral("light");
    case AppTheme::dark:
        return QStringLiteral("dark");
    case AppTheme::corisaPink:
        return QStringLiteral("corisaPink");
    case AppTheme::velmoraBlue:
        return QStringLiteral("velmoraBlue");
    case AppTheme::emerald:
        return QStringLiteral("emerald");
    case AppTheme::sunset:
        return QStringLiteral("sunset");
    case AppTheme::cyberPurple:
        return QStringLiteral("cyberPurple");
    }
    Q_UNREACHABLE();
}

std::optional<AppTheme> appThemeFromRawValue(const QString &raw)
{
    const QList<AppTheme> themes = allAppThemes();
    for (AppTheme theme : themes) {
        if (rawValue(theme) == raw)
            return theme;
    }
    return std::nullopt;
}

QString displayName(AppTheme theme)
{
    switch (theme) {
    case AppTheme::system:
        return QStringLiteral("システム設定に合わせる");
    case AppTheme::light:
        return QStringLiteral("\u2600\uFE0F ライトモード");
    case AppTheme::dark:
        return QStringLiteral("🌙 ダークモード");
    case AppTheme::corisaPink:
        return QStringLiteral("🌸 こりさピンク (瀬名こりさ)");
    case AppTheme::velmoraBlue:
        return QStringLiteral("💎 べるもらブルー");
    case AppTheme::emerald:
        return QStringLiteral("🍃 エメラルドミント");
    case AppTheme::sunset:
        return QStringLiteral("🌅 サンセットオレンジ");
    case AppTheme::cyberPurple:
        return QStringLiteral("🔮 サイバーパープル");
    }
    Q_UNREACHABLE();
}

std::optional<ColorScheme> colorScheme(AppTheme theme)
{
    switch (theme) {
    case AppTheme::light:
        return ColorScheme::light;
    case AppTheme::dark:
    case AppTheme::cyberPurple:
        return ColorScheme::dark;
    case AppTheme::system:
    case AppTheme::corisaPink:
    case AppTheme::velmoraBlue:
    case AppTheme::emerald:
    case AppTheme::sunset:
        return std::nullopt;
    }
    Q_UNREACHABLE();
}
