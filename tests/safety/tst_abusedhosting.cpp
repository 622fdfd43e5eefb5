#include "safety/AbusedHosting.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_AbusedHosting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void match_data();
    void match();
};

using Kind = AbusedHosting::Kind;

void tst_AbusedHosting::match_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("block");
    QTest::addColumn<QString>("suffix");

    QTest::newRow("dynamic dns") << u"kgczwu.duckdns.org"_s << Kind::dynamicDns << true
                                 << u"duckdns.org"_s;
    QTest::newRow("free hosting") << u"x-1.y2.workers.dev"_s << Kind::freeHosting << true
                                  << u"workers.dev"_s;
    QTest::newRow("caution only") << u"shop-app.web.app"_s << Kind::freeHosting << false
                                  << u"web.app"_s;
    // Near misses: the provider's own site, look-alike and lookalike-embedding names.
    QTest::newRow("provider itself") << u"duckdns.org"_s << Kind::none << false << QString();
    QTest::newRow("glued to the suffix") << u"myduckdns.org"_s << Kind::none << false << QString();
    QTest::newRow("suffix as a prefix")
        << u"duckdns.org.example.com"_s << Kind::none << false << QString();
    QTest::newRow("empty label below") << u"a..duckdns.org"_s << Kind::none << false << QString();
    QTest::newRow("leading dot") << u".duckdns.org"_s << Kind::none << false << QString();
    QTest::newRow("empty") << QString() << Kind::none << false << QString();
}

void tst_AbusedHosting::match()
{
    QFETCH(QString, host);
    QFETCH(Kind, kind);
    QFETCH(bool, block);
    QFETCH(QString, suffix);
    const AbusedHosting::Match found = AbusedHosting::match(host);
    QCOMPARE(found.kind, kind);
    QCOMPARE(found.block, block);
    QCOMPARE(found.suffix.toString(), suffix);
}

QTEST_APPLESS_MAIN(tst_AbusedHosting)
#include "tst_abusedhosting.moc"
