#include "views/browser/AddressView.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAddressView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsWhereThePageIs_data();
    void showsWhereThePageIs();
};

void TestAddressView::showsWhereThePageIs_data()
{
    QTest::addColumn<QUrl>("address");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("host"); // emphasised
    QTest::addColumn<bool>("lock");
    QTest::addColumn<bool>("insecure");

    QTest::newRow("https") << QUrl(u"https://www.amazon.co.jp/dp/B0?th=1"_s)
                           << u"https://www.amazon.co.jp/dp/B0?th=1"_s << u"www.amazon.co.jp"_s
                           << true << false;
    QTest::newRow("http") << QUrl(u"http://shop.example.jp:8080/cart"_s)
                          << u"http://shop.example.jp:8080/cart"_s << u"shop.example.jp"_s << true
                          << true;
    // A Cyrillic "а" looks like the shop's name; its punycode does not.
    QTest::newRow("look-alike host")
        << QUrl(u"https://r\u0430kuten.co.jp/"_s) << u"https://xn--rkuten-3nf.co.jp/"_s
        << u"xn--rkuten-3nf.co.jp"_s << true << false;
    // The user part is how "amazon.co.jp@evil" deceives: it is not shown.
    QTest::newRow("user part") << QUrl(u"http://amazon.co.jp@evil.example/<b>x</b>"_s)
                               << u"http://evil.example/%3Cb%3Ex%3C/b%3E"_s << u"evil.example"_s
                               << true << true;
    QTest::newRow("no host") << QUrl(u"data:text/html,hi"_s) << u"data:text/html,hi"_s << QString()
                             << false << false;
    QTest::newRow("long") << QUrl(u"https://a.example.jp/"_s + QString(200, u'x'))
                          << u"https://a.example.jp/"_s + QString(69, u'x') + u"…"_s
                          << u"a.example.jp"_s << true << false;
}

void TestAddressView::showsWhereThePageIs()
{
    QFETCH(QUrl, address);
    QFETCH(QString, shown);
    QFETCH(QString, host);
    QFETCH(bool, lock);
    QFETCH(bool, insecure);

    AddressView view;
    view.setAddress(address);
    view.show();
    QCOMPARE(view.shownText(), shown);
    const auto *text = view.findChild<QLabel *>(u"addressText"_s);
    if (!host.isEmpty())
        QVERIFY(text->text().contains(u"font-weight:600\">"_s + host + u"</span>"_s));
    QVERIFY(!text->text().contains(u"<b>"_s));
    QCOMPARE(view.findChild<QLabel *>(u"addressLock"_s)->isVisible(), lock);
    QCOMPARE(view.findChild<QLabel *>(u"addressInsecure"_s)->isVisible(), insecure);
}

QTEST_MAIN(TestAddressView)
#include "tst_addressview.moc"
