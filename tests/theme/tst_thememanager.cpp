#include "prefs/SettingsPreferencesStore.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(AppTheme)
Q_DECLARE_METATYPE(std::optional<ColorScheme>)

namespace {

const QString themeKey = QLatin1String(ThemeManager::storageKey);

QColor rgb(float red, float green, float blue)
{
    return QColor::fromRgbF(red, green, blue);
}

QColor blueAt15Percent()
{
    QColor color(0, 122, 255);
    color.setAlphaF(0.15f);
    return color;
}

} // namespace

class TestThemeManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listsTheEightThemesInOrder();
    void describesEachTheme_data();
    void describesEachTheme();
    void buildsFromExactRawValuesOnly_data();
    void buildsFromExactRawValuesOnly();

    void startsWithCorisaPinkAndWritesNothing();
    void readsTheStoredTheme();
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
    m_path = m_dir->filePath(QStringLiteral("settings.ini"));
}

void TestThemeManager::cleanup()
{
    m_dir.reset();
}

void TestThemeManager::listsTheEightThemesInOrder()
{
    const QList<AppTheme> themes = allAppThemes();
    QCOMPARE(themes.size(), 8);
    QStringList raws;
    for (AppTheme theme : themes)
        raws.append(rawValue(theme));
    QCOMPARE(raws,
             (QStringList {u"system"_qs, u"light"_qs, u"dark"_qs, u"corisaPink"_qs,
                           u"velmoraBlue"_qs, u"emerald"_qs, u"sunset"_qs, u"cyberPurple"_qs}));
}

void TestThemeManager::describesEachTheme_data()
{
    QTest::addColumn<AppTheme>("theme");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("accent");
    QTest::addColumn<QColor>("tint");
    QTest::addColumn<std::optional<ColorScheme>>("scheme");

    const QColor blue(0, 122, 255);
    const std::optional<ColorScheme> none;
    QTest::newRow("system") << AppTheme::system << u"システム設定に合わせる"_qs << blue
                            << blueAt15Percent() << none;
    QTest::newRow("light") << AppTheme::light
                           << QString::fromUtf8("\xE2\x98\x80\xEF\xB8\x8F ライトモード") << blue
                           << blueAt15Percent() << std::optional<ColorScheme>(ColorScheme::light);
    QTest::newRow("dark") << AppTheme::dark << u"🌙 ダークモード"_qs << blue << blueAt15Percent()
                          << std::optional<ColorScheme>(ColorScheme::dark);
    QTest::newRow("corisaPink") << AppTheme::corisaPink << u"🌸 こりさピンク (瀬名こりさ)"_qs
                                << rgb(0.98f, 0.38f, 0.58f) << rgb(1.0f, 0.85f, 0.92f) << none;
    QTest::newRow("velmoraBlue") << AppTheme::velmoraBlue << u"💎 べるもらブルー"_qs
                                 << rgb(0.2f, 0.55f, 0.98f) << rgb(0.85f, 0.93f, 1.0f) << none;
    QTest::newRow("emerald") << AppTheme::emerald << u"🍃 エメラルドミント"_qs
                             << rgb(0.1f, 0.72f, 0.5f) << rgb(0.85f, 0.98f, 0.92f) << none;
    QTest::newRow("sunset") << AppTheme::sunset << u"🌅 サンセットオレンジ"_qs
                            << rgb(0.96f, 0.45f, 0.15f) << rgb(1.0f, 0.92f, 0.85f) << none;
    QTest::newRow("cyberPurple") << AppTheme::cyberPurple << u"🔮 サイバーパープル"_qs
                                 << rgb(0.55f, 0.35f, 0.95f) << rgb(0.92f, 0.88f, 1.0f)
                                 << std::optional<ColorScheme>(ColorScheme::dark);
}

void TestThemeManager::describesEachTheme()
{
    QFETCH(AppTheme, theme);
    QFETCH(QString, name);
    QFETCH(QColor, accent);
    QFETCH(QColor, tint);
    QFETCH(std::optional<ColorScheme>, scheme);

    QCOMPARE(displayName(theme), name);
    QCOMPARE(accentColor(theme), accent);
    QCOMPARE(accentColor(theme).alphaF(), 1.0f);
    QCOMPARE(backgroundTint(theme), tint);
    QVERIFY(colorScheme(theme) == scheme);
    QCOMPARE(appThemeFromRawValue(rawValue(theme)), std::optional<AppTheme>(theme));
}

void TestThemeManager::buildsFromExactRawValuesOnly_data()
{
    QTest::addColumn<QString>("raw");
    QTest::newRow("capital") << u"Dark"_qs;
    QTest::newRow("empty") << QString();
    QTest::newRow("leading space") << u" dark"_qs;
    QTest::newRow("trailing line break") << u"dark\n"_qs;
    QTest::newRow("display name") << u"🌙 ダークモード"_qs;
    QTest::newRow("case name") << u"AppTheme::dark"_qs;
}

void TestThemeManager::buildsFromExactRawValuesOnly()
{
    QFETCH(QString, raw);
    QVERIFY(!appThemeFromRawValue(raw));
}

void TestThemeManager::startsWithCorisaPinkAndWritesNothing()
{
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    const ThemeManager manager(preferences);
    QCOMPARE(manager.currentTheme(), AppTheme::corisaPink);
    QCOMPARE(accentColor(manager.currentTheme()), rgb(0.98f, 0.38f, 0.58f));
    QVERIFY(!colorScheme(manager.currentTheme()));
    QCOMPARE(writes.count(), 0);
    QVERIFY(!preferences.string(themeKey));
}

void TestThemeManager::readsTheStoredTheme()
{
    const QList<AppTheme> themes = allAppThemes();
    for (AppTheme theme : themes) {
        SettingsPreferencesStore preferences(m_path);
        preferences.setString(themeKey, rawValue(theme));
        const ThemeManager manager(preferences);
        QCOMPARE(manager.currentTheme(), theme);
    }
}

void TestThemeManager::readsBadStoredValuesAsDefaultAndKeepsThem_data()
{
    QTest::addColumn<QByteArray>("iniLine");

    QTest::newRow("capital") << QByteArray("selectedAppTheme=Dark");
    QTest::newRow("empty") << QByteArray("selectedAppTheme=");
    QTest::newRow("number") << QByteArray("selectedAppTheme=42");
    QTest::newRow("bytes") << QByteArray("selectedAppTheme=@ByteArray(dark)");
    QTest::newRow("list") << QByteArray("selectedAppTheme=dark, light");
    QTest::newRow("padded") << QByteArray("selectedAppTheme=\" dark\"");
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
        const ThemeManager manager(preferences);
        QCOMPARE(manager.currentTheme(), AppTheme::corisaPink);
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "[General]\n" + iniLine + '\n');
    file.close();

    // The next choice replaces the bad value.
    {
        SettingsPreferencesStore preferences(m_path);
        ThemeManager manager(preferences);
        manager.setCurrentTheme(AppTheme::emerald);
    }
    SettingsPreferencesStore preferences(m_path);
    QCOMPARE(preferences.string(themeKey), std::optional<QString>(u"emerald"_qs));
    QCOMPARE(ThemeManager(preferences).currentTheme(), AppTheme::emerald);
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
        QVERIFY(!colorScheme(manager.currentTheme()));
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
    const ThemeManager manager(preferences);
    QCOMPARE(manager.currentTheme(), AppTheme::cyberPurple);
    QCOMPARE(colorScheme(manager.currentTheme()), std::optional<ColorScheme>(ColorScheme::dark));
}

QTEST_GUILESS_MAIN(TestThemeManager)

#include "tst_thememanager.moc"
