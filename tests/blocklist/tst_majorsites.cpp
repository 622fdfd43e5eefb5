#include "blocklist/BlockList.h"
#include "blocklist/MajorSites.h"

#include <QFile>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_MajorSites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knowsHostsByRegistrableDomain_data();
    void knowsHostsByRegistrableDomain();
    void coversTheMistakesOfTheBundledList();
};

void tst_MajorSites::knowsHostsByRegistrableDomain_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("major");

    QTest::newRow("site itself") << u"nikkei.com"_s << true;
    QTest::newRow("deep subdomain") << u"a.b.jp.mercari-shops.com"_s << true;
    QTest::newRow("under a second-level suffix") << u"job.rikunabi.com"_s << true;
    QTest::newRow("city") << u"www.city.shinjuku.lg.jp"_s << true;
    QTest::newRow("government-only suffix alone") << u"go.jp"_s << false;
    QTest::newRow("site as a label of another") << u"nikkei.com.example.top"_s << false;
    QTest::newRow("look-alike") << u"nikkei-com.shop"_s << false;
    QTest::newRow("site on another suffix") << u"twitter.com.co.jp"_s << false;
    QTest::newRow("site's name on a platform") << u"amazon-co-jp.blogspot.com"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void tst_MajorSites::knowsHostsByRegistrableDomain()
{
    QFETCH(QString, host);
    QFETCH(bool, major);
    QCOMPARE(MajorSites::contains(host), major);
}

// Every legitimate site the bundled community list names by mistake is
// known, and none of its fake shops is.
void tst_MajorSites::coversTheMistakesOfTheBundledList()
{
    QFile file(QFINDTESTDATA("../../data/lists/ublacklist-scam-net-shops.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto list = BlockList::parse(file.readAll());
    QVERIFY(list->ruleCount() > 3000);

    QSet<QString> spared;
    file.seek(0);
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.startsWith(u"*://*.") || !line.endsWith(u"/*"))
            continue;
        const QString host = line.sliced(6, line.size() - 8);
        if (list->match(QUrl(u"https://"_s + host + u'/'), host).verdict
                == BlockList::Verdict::Blocked
            && MajorSites::contains(host))
            spared.insert(host);
    }
    // The six named in the issue, and a US state's government site.
    const QSet<QString> mistakes {u"nikkei.com"_s,   u"twitter.com"_s,  u"mercari-shops.com"_s,
                                  u"wantedly.com"_s, u"rikunabi.com"_s, u"ipros.jp"_s,
                                  u"wy.gov"_s};
    QCOMPARE(spared, mistakes);
}

QTEST_APPLESS_MAIN(tst_MajorSites)
#include "tst_majorsites.moc"
