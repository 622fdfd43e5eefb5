#include "prefs/FileBytes.h"
#include "prefs/SettingsPreferencesStore.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(AppTheme)

class TestThemeManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void unreadableChoiceReadsAsDefaultAndStays();
    void everyChoiceIsStoredAtOnce();

private:
    QString path() const { return m_dir->filePath(u"settings.ini"_qs); }
    std::optional<QTemporaryDir> m_dir;
};

void TestThemeManager::unreadableChoiceReadsAsDefaultAndStays()
{
    const QByteArray contents = "[General]\nselectedAppTheme=Dark\n";
    writeBytes(path(), contents);
    {
        SettingsPreferencesStore preferences(path());
        QCOMPARE(ThemeManager(preferences).currentTheme(), AppTheme::corisaPink);
    }
    // Reading never writes.
    QCOMPARE(fileBytes(path()), contents);

    // The next choice replaces the bad value.
    SettingsPreferencesStore preferences(path());
    ThemeManager(preferences).setCurrentTheme(AppTheme::emerald);
    QCOMPARE(SettingsPreferencesStore(path()).string(QLatin1String(ThemeManager::storageKey)),
             u"emerald"_qs);
}

void TestThemeManager::everyChoiceIsStoredAtOnce()
{
    SettingsPreferencesStore preferences(path());
    ThemeManager manager(preferences);
    QSignalSpy changes(&manager, &ThemeManager::currentThemeChanged);
    for (AppTheme theme : allAppThemes()) {
        manager.setCurrentTheme(theme);
        QCOMPARE(changes.takeFirst().constFirst().value<AppTheme>(), theme);
        // What the next start reads.
        QCOMPARE(ThemeManager(preferences).currentTheme(), theme);
    }
}

QTEST_GUILESS_MAIN(TestThemeManager)

#include "tst_thememanager.moc"
