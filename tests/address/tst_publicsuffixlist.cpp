#include "address/PublicSuffixList.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_PublicSuffixList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
};

void tst_PublicSuffixList::answers_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("registrable");
    QTest::addColumn<bool>("privateSuffix");

    QTest::newRow("dynamic dns") << u"abc.duckdns.org"_s << u"duckdns.org"_s << u"abc.duckdns.org"_s
                                 << true;
    // The suffix index answers these itself, so its wildcard and exception
    // rules are this class's code, not libpsl's.
    QTest::newRow("wildcard rule")
        << u"shop.x.kawasaki.jp"_s << u"x.kawasaki.jp"_s << u"shop.x.kawasaki.jp"_s << false;
    QTest::newRow("exception rule")
        << u"www.city.kawasaki.jp"_s << u"kawasaki.jp"_s << u"city.kawasaki.jp"_s << false;
    QTest::newRow("suffix itself") << u"gov.br"_s << u"gov.br"_s << QString() << false;
    QTest::newRow("unknown tld") << u"shop.example.zzunknown"_s << u"zzunknown"_s
                                 << u"example.zzunknown"_s << false;
    QTest::newRow("upper case") << u"Shop.Example.CO.JP"_s << u"co.jp"_s << u"example.co.jp"_s
                                << false;
}

void tst_PublicSuffixList::answers()
{
    QFETCH(QString, host);
    QFETCH(QString, suffix);
    QFETCH(QString, registrable);
    QFETCH(bool, privateSuffix);

    const PublicSuffixList &list = PublicSuffixList::system();
    QCOMPARE(list.publicSuffix(host), suffix);
    QCOMPARE(list.registrableDomain(host), registrable);
    QCOMPARE(list.isPublicSuffix(suffix), true);
    QCOMPARE(list.isPublicSuffix(host), registrable.isEmpty());
    QCOMPARE(list.isPrivateSuffix(suffix), privateSuffix);
}

QTEST_APPLESS_MAIN(tst_PublicSuffixList)
#include "tst_publicsuffixlist.moc"
