#include "app/NavigationSection.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestNavigationSection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sections_data();
    void sections();
    void orderIsSidebarOrder();
    void rawValuesAreExact_data();
    void rawValuesAreExact();
};

void TestNavigationSection::sections_data()
{
    QTest::addColumn<NavigationSection>("section");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("group");
    QTest::newRow("browser") << NavigationSection::browser << u"browser"_s << u"安心ブラウザ"_s
                             << u"cart.fill"_s << u"メイン"_s;
    QTest::newRow("bookmarks") << NavigationSection::bookmarks << u"bookmarks"_s
                               << u"ブックマーク"_s << u"star.fill"_s << u"メイン"_s;
    QTest::newRow("trustedShops") << NavigationSection::trustedShops << u"trustedShops"_s
                                  << u"正規ショップ一覧"_s << u"checkmark.seal.fill"_s
                                  << u"セキュリティ"_s;
    QTest::newRow("securityRules")
        << NavigationSection::securityRules << u"securityRules"_s << u"危険除外ルール"_s
        << u"shield.slash.fill"_s << u"セキュリティ"_s;
    QTest::newRow("settings") << NavigationSection::settings << u"settings"_s << u"設定・テーマ"_s
                              << u"gearshape.fill"_s << u"システム"_s;
}

void TestNavigationSection::sections()
{
    QFETCH(NavigationSection, section);
    QFETCH(QString, raw);
    QFETCH(QString, title);
    QFETCH(QString, icon);
    QFETCH(QString, group);
    QCOMPARE(rawValue(section), raw);
    QCOMPARE(::title(section), title);
    QCOMPARE(iconName(section), icon);
    QCOMPARE(groupTitle(section), group);
    QCOMPARE(navigationSectionFromRawValue(raw), section);
}

void TestNavigationSection::orderIsSidebarOrder()
{
    const QList<NavigationSection> expected = {
        NavigationSection::browser, NavigationSection::bookmarks, NavigationSection::trustedShops,
        NavigationSection::securityRules, NavigationSection::settings};
    QCOMPARE(allNavigationSections(), expected);
}

void TestNavigationSection::rawValuesAreExact_data()
{
    QTest::addColumn<QString>("raw");
    QTest::newRow("capitalised") << u"Browser"_s;
    QTest::newRow("padded") << u" settings"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("title instead of raw") << u"安心ブラウザ"_s;
}

void TestNavigationSection::rawValuesAreExact()
{
    QFETCH(QString, raw);
    QCOMPARE(navigationSectionFromRawValue(raw), std::nullopt);
}

QTEST_APPLESS_MAIN(TestNavigationSection)
#include "tst_navigationsection.moc"
