#include "theme/ThemeManager.h"

#include "prefs/PreferencesStore.h"

ThemeManager::ThemeManager(PreferencesStore &preferences, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_currentTheme(defaultTheme)
{
    // A bad stored value stays as it is until the user picks a theme: reading
    // never writes.
    const std::optional<QString> stored = m_preferences.string(QLatin1String(storageKey));
    if (stored) {
        if (const std::optional<AppTheme> theme = appThemeFromRawValue(*stored))
            m_currentTheme = *theme;
    }
}

void ThemeManager::setCurrentTheme(AppTheme theme)
{
    m_currentTheme = theme;
    m_preferences.setString(QLatin1String(storageKey), rawValue(theme));
    Q_EMIT currentThemeChanged(theme);
}
