#include "views/common/ThemeColors.h"
#include "window/ThemePalette.h"

#include <QApplication>
#include <QTest>

class TestThemePalette : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appearanceFollowsTheme_data();
    void appearanceFollowsTheme();
    void forcedPalettesReadWell();
};

void TestThemePalette::appearanceFollowsTheme_data()
{
    QTest::addColumn<AppTheme>("theme");
    // "system" = keeps the system palette; otherwise forced light or dark.
    QTest::addColumn<QString>("appearance");
    QTest::newRow("system") << AppTheme::system << QStringLiteral("system");
    QTest::newRow("light") << AppTheme::light << QStringLiteral("light");
    QTest::newRow("dark") << AppTheme::dark << QStringLiteral("dark");
    QTest::newRow("corisaPink") << AppTheme::corisaPink << QStringLiteral("system");
    QTest::newRow("cyberPurple") << AppTheme::cyberPurple << QStringLiteral("dark");
}

void TestThemePalette::appearanceFollowsTheme()
{
    QFETCH(AppTheme, theme);
    QFETCH(QString, appearance);

    // A system palette that is recognisably neither of the forced ones.
    QPalette system(QColor(200, 220, 200), QColor(210, 230, 210));
    system.setColor(QPalette::WindowText, QColor(10, 40, 10));
    const QPalette palette = ThemePalette::palette(theme, system);

    QPalette expected = system;
    if (appearance == QLatin1String("light"))
        expected = ThemePalette::lightPalette();
    else if (appearance == QLatin1String("dark"))
        expected = ThemePalette::darkPalette();
    for (const auto role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
                            QPalette::Button, QPalette::ButtonText})
        QCOMPARE(palette.color(role), expected.color(role));
    QCOMPARE(ThemePalette::isDark(palette), appearance == QLatin1String("dark"));

    // The accent marks selections in every state the window can be in.
    QCOMPARE(palette.color(QPalette::Active, QPalette::Highlight), accentColor(theme));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight), accentColor(theme));
}

void TestThemePalette::forcedPalettesReadWell()
{
    // Text must stand out from its background in both forced palettes.
    for (const QPalette &palette : {ThemePalette::lightPalette(), ThemePalette::darkPalette()}) {
        for (const auto &[background, text] :
             {std::pair {QPalette::Window, QPalette::WindowText},
              std::pair {QPalette::Base, QPalette::Text},
              std::pair {QPalette::Button, QPalette::ButtonText}}) {
            const int contrast
                = qAbs(palette.color(background).lightness() - palette.color(text).lightness());
            QVERIFY2(contrast > 150, qPrintable(QString::number(contrast)));
        }
    }
    QVERIFY(!ThemePalette::isDark(ThemePalette::lightPalette()));
    QVERIFY(ThemePalette::isDark(ThemePalette::darkPalette()));
}

QTEST_MAIN(TestThemePalette)
#include "tst_themepalette.moc"
