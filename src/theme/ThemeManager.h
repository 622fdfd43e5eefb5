#pragma once

#include "theme/AppTheme.h"

#include <QObject>

class PreferencesStore;

// Holds the current theme and keeps it in the preferences store.
class ThemeManager final : public QObject
{
    Q_OBJECT

public:
    static constexpr auto storageKey = "selectedAppTheme";
    static constexpr AppTheme defaultTheme = AppTheme::corisaPink;

    explicit ThemeManager(PreferencesStore &preferences, QObject *parent = nullptr);

    AppTheme currentTheme() const { return m_currentTheme; }
    // Stores at once (also when unchanged) and emits currentThemeChanged.
    void setCurrentTheme(AppTheme theme);

Q_SIGNALS:
    void currentThemeChanged(AppTheme theme);

private:
    PreferencesStore &m_preferences;
    AppTheme m_currentTheme;
};
