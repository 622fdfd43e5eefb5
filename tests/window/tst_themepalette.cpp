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
};

void TestThemePalette::appearanceFollowsTheme_data()
{
    QTest::addColumn<AppTheme>("theme");
    QTest::addColumn<bool>("keepsSystem");
    QTest::addColumn<bool>("dark");
    QTest::newRow("system") << AppTheme::system << true << false;
    QTest::newRow("light") << AppTheme::light << false << false;
    QTest::newRow("dark") << AppTheme::dark << false << true;
    QTest::newRow("corisaPink") << AppTheme::corisaPink << true << false;
}

void TestThemePalette::appearanceFollowsTheme()
{
    QFETCH(AppTheme, theme);
    QFETCH(bool, keepsSystem);
    QFETCH(bool, dark);

    // A system palette that is recognisably neither of the forced ones.
    QPalette system(QColor(200, 220, 200), QColor(210, 230, 210));
    system.setColor(QPalette::WindowText, QColor(10, 40, 10));
    const QPalette palette = ThemePalette::palette(theme, system);

    QCOMPARE(palette.color(QPalette::Window) == system.color(QPalette::Window), keepsSystem);
    QCOMPARE(ThemePalette::isDark(palette), dark);
    // Text stands out from its background, whichever palette it is.
    for (const auto &[background, text] : {std::pair {QPalette::Window, QPalette::WindowText},
                                           std::pair {QPalette::Base, QPalette::Text},
                                           std::pair {QPalette::Button, QPalette::ButtonText}}) {
        const int contrast
            = qAbs(palette.color(background).lightness() - palette.color(text).lightness());
        QVERIFY2(contrast > 150, qPrintable(QString::number(contrast)));
    }
    // The accent marks selections in every state the window can be in.
    QCOMPARE(palette.color(QPalette::Active, QPalette::Highlight), accentColor(theme));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight), accentColor(theme));
}

QTEST_MAIN(TestThemePalette)
#include "tst_themepalette.moc"
