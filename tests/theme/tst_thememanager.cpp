#include "prefs/SettingsPreferencesStore.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(AppTheme)

namespace {

const QString themeKey = QLatin1String(ThemeManager::storageKey);

} // namespace

class TestThemeManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void rawValuesAreExactAndStored();
    void startsWithCorisaPinkAndWritesNothing();
    void readsBadStoredValuesAsDefaultAndKeepsThem_data();
    void readsBadStoredValuesAsDefaultAndKeepsThem();
    void storesEveryChoiceAtOnce();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestThemeManager::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"settings.ini"_qs);
}

void TestThemeManager::rawValuesAreExactAndStored()
{
    QStringList raws;
    for (AppTheme theme : allAppThemes()) {
        raws.append(rawValue(theme));
        QCOMPARE(appThemeFromRawValue(rawValue(theme)), std::optional<AppTheme>(theme));
        SettingsPreferencesStore preferences(m_path);
        preferences.setString(themeKey, rawValue(theme));
        QCOMPARE(ThemeManager(preferences).currentTheme(), theme);
    }
    QCOMPARE(raws,
             (QStringList {u"system"_qs, u"light"_qs, u"dark"_qs, u"corisaPink"_qs,
                           u"velmoraBlue"_qs, u"emerald"_qs, u"sunset"_qs, u"cyberPurple"_qs}));
    for (const QString &raw : {u"Dark"_qs, QString(), u" dark"_qs, u"dark\n"_qs,
                               u"🌙 ダークモード"_qs, u"AppTheme::dark"_qs})
        QVERIFY(!appThemeFromRawValue(raw));
}

void TestThemeManager::startsWithCorisaPinkAndWritesNothing()
{
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    const ThemeManager manager(preferences);
    QCOMPARE(manager.currentTheme(), AppTheme::corisaPink);
    QCOMPARE(displayName(AppTheme::corisaPink), u"🌸 こりさピンク (瀬名こりさ)"_qs);
    QVERIFY(!colorScheme(AppTheme::corisaPink));
    QCOMPARE(writes.count(), 0);
    QVERIFY(!preferences.string(themeKey));
}

void TestThemeManager::readsBadStoredValuesAsDefaultAndKeepsThem_data()
{
    QTest::addColumn<QByteArray>("iniLine");
    QTest::newRow("capital") << QByteArray("selectedAppTheme=Dark");
    QTest::newRow("number") << QByteArray("selectedAppTheme=42");
    QTest::newRow("bytes") << QByteArray("selectedAppTheme=@ByteArray(dark)");
}

void TestThemeManager::readsBadStoredValuesAsDefaultAndKeepsThem()
{
    QFETCH(QByteArray, iniLine);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + iniLine + '\n');
    file.close();
    {
        SettingsPreferencesStore preferences(m_path);
        QCOMPARE(ThemeManager(preferences).currentTheme(), AppTheme::corisaPink);
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "[General]\n" + iniLine + '\n');
    file.close();

    // The next choice replaces the bad value.
    SettingsPreferencesStore preferences(m_path);
    ThemeManager(preferences).setCurrentTheme(AppTheme::emerald);
    QCOMPARE(SettingsPreferencesStore(m_path).string(themeKey),
             std::optional<QString>(u"emerald"_qs));
}

void TestThemeManager::storesEveryChoiceAtOnce()
{
    {
        SettingsPreferencesStore preferences(m_path);
        ThemeManager manager(preferences);
        QSignalSpy changes(&manager, &ThemeManager::currentThemeChanged);
        QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
        manager.setCurrentTheme(AppTheme::dark);
        QCOMPARE(manager.currentTheme(), AppTheme::dark);
        QCOMPARE(preferences.string(themeKey), std::optional<QString>(u"dark"_qs));
        manager.setCurrentTheme(AppTheme::system);
        // Choosing the current theme again still stores and notifies.
        manager.setCurrentTheme(AppTheme::system);
        QCOMPARE(changes.count(), 3);
        QCOMPARE(changes.at(0).constFirst().value<AppTheme>(), AppTheme::dark);
        QCOMPARE(changes.at(2).constFirst().value<AppTheme>(), AppTheme::system);
        QCOMPARE(writes.count(), 3);
        manager.setCurrentTheme(AppTheme::cyberPurple);
    }
    // The choice outlives the run.
    SettingsPreferencesStore preferences(m_path);
    QCOMPARE(ThemeManager(preferences).currentTheme(), AppTheme::cyberPurple);
}

QTEST_GUILESS_MAIN(TestThemeManager)

#include "tst_thememanager.moc"
