#include "window/NavigationSection.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestNavigationSection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sectionsRoundTripInSidebarOrder();
    void rawValuesAreExact();
};

// The sidebar test checks every title and group as shown; here the stored
// raw values and one row of the tables.
void TestNavigationSection::sectionsRoundTripInSidebarOrder()
{
    const QList<NavigationSection> expected = {
        NavigationSection::browser, NavigationSection::bookmarks, NavigationSection::trustedShops,
        NavigationSection::securityRules, NavigationSection::settings};
    QCOMPARE(allNavigationSections(), expected);
    QCOMPARE(rawValue(NavigationSection::trustedShops), u"trustedShops"_s);
    for (NavigationSection section : expected)
        QCOMPARE(navigationSectionFromRawValue(rawValue(section)), section);

    QCOMPARE(iconName(NavigationSection::securityRules), u"shield.slash.fill"_s);
    QCOMPARE(title(NavigationSection::securityRules), u"危険除外ルール"_s);
    QCOMPARE(groupTitle(NavigationSection::securityRules), u"セキュリティ"_s);
}

void TestNavigationSection::rawValuesAreExact()
{
    for (const QString &raw : {u"Browser"_s, u" settings"_s, QString(), u"安心ブラウザ"_s})
        QVERIFY2(!navigationSectionFromRawValue(raw), qPrintable(raw));
}

QTEST_APPLESS_MAIN(TestNavigationSection)
#include "tst_navigationsection.moc"
