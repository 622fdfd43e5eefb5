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
    void everyChoiceIsStoredAtOnce();

private:
    QString path() const { return m_dir->filePath(u"settings.ini"_qs); }
    std::optional<QTemporaryDir> m_dir;
};

void TestThemeManager::everyChoiceIsStoredAtOnce()
{
    // Over a value of no known name: read as the default, and left as it is
    // until a choice replaces it.
    const QByteArray contents = "[General]\nselectedAppTheme=Dark\n";
    writeBytes(path(), contents);
    SettingsPreferencesStore preferences(path());
    ThemeManager manager(preferences);
    QCOMPARE(manager.currentTheme(), AppTheme::corisaPink);
    QCOMPARE(fileBytes(path()), contents);
    QSignalSpy changes(&manager, &ThemeManager::currentThemeChanged);
    for (AppTheme theme : allAppThemes()) {
        manager.setCurrentTheme(theme);
        QCOMPARE(changes.takeFirst().constFirst().value<AppTheme>(), theme);
        // What the next start reads.
        SettingsPreferencesStore next(path());
        QCOMPARE(ThemeManager(next).currentTheme(), theme);
    }
}

QTEST_GUILESS_MAIN(TestThemeManager)

#include "tst_thememanager.moc"
