#include "address/LoadTarget.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LoadTarget::Status)

class tst_LoadTarget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromText_data();
    void fromText();
    void fromUrl_data();
    void fromUrl();
    void refusedText_data();
    void refusedText();
};

void tst_LoadTarget::fromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<LoadTarget::Status>("status");
    QTest::addColumn<QString>("host"); // the host text, when there is one

    using S = LoadTarget::Status;
    QTest::newRow("plain") << u"https://User@Scam.TOP:8443/x"_s << S::host << u"scam.top"_s;
    QTest::newRow("no slashes") << u"http:scam.top"_s << S::host << u"scam.top"_s;
    QTest::newRow("one slash") << u"http:/scam.top/"_s << S::host << u"scam.top"_s;
    QTest::newRow("three slashes") << u"http:///scam.top/"_s << S::host << u"scam.top"_s;
    QTest::newRow("backslashes") << u"http:\\\\scam.top\\path"_s << S::host << u"scam.top"_s;
    QTest::newRow("tabs and newlines")
        << u" \tht\ntp://sc\tam.top/ \n"_s << S::host << u"scam.top"_s;
    QTest::newRow("last @ starts the host")
        << u"http://www.amazon.co.jp@x@scam.top/"_s << S::host << u"scam.top"_s;
    QTest::newRow("view-source") << u"view-source:https://scam.top/"_s << S::host << u"scam.top"_s;
    QTest::newRow("blob") << u"blob:https://scam.top/9f1c"_s << S::host << u"scam.top"_s;
    QTest::newRow("nested wrappers")
        << u"view-source:filesystem:http://scam.top/temporary/a"_s << S::host << u"scam.top"_s;
    QTest::newRow("blob of an opaque origin") << u"blob:null/9f1c"_s << S::hostless << QString();
    QTest::newRow("view-source of nothing") << u"view-source:nope"_s << S::unsound << QString();
    QTest::newRow("unknown scheme with authority")
        << u"foo://Scam.top/"_s << S::host << u"scam.top"_s;
    QTest::newRow("blank") << u"about:blank"_s << S::hostless << QString();
    QTest::newRow("data") << u"data:text/html,<p>x"_s << S::hostless << QString();
    QTest::newRow("no scheme") << u"www.example.com"_s << S::notAnAddress << QString();
    QTest::newRow("empty") << QString() << S::notAnAddress << QString();
    QTest::newRow("empty host after credentials")
        << u"http://user:pass@/"_s << S::unsound << QString();
    QTest::newRow("bad port") << u"http://scam.top:99999/"_s << S::unsound << QString();
    QTest::newRow("bad ipv4") << u"http://256.256.256.256/"_s << S::unsound << QString();
    QTest::newRow("empty inner label") << u"http://scam..top/"_s << S::unsound << QString();
    QTest::newRow("unknown scheme, empty authority") << u"foo:///x"_s << S::unsound << QString();
    QTest::newRow("http without host") << u"http:"_s << S::unsound << QString();
}

void tst_LoadTarget::fromText()
{
    QFETCH(QString, text);
    QFETCH(LoadTarget::Status, status);
    QFETCH(QString, host);
    const LoadTarget target = LoadTarget::fromText(text);
    QCOMPARE(target.status(), status);
    QCOMPARE(target.host().withoutTrailingDots().toString(), host);
}

void tst_LoadTarget::fromUrl_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<LoadTarget::Status>("status");
    QTest::addColumn<QString>("host");

    // As the engine hands addresses over; those the engine's own table opens
    // (trailing and leading dots, encoded and std3 characters, bad punycode,
    // no slashes, wrappers) are judged there.
    using S = LoadTarget::Status;
    QTest::newRow("quote: QUrl quotes only the host")
        << u"http://a\"b.top/"_s << S::host << u"a\"b.top"_s;
    QTest::newRow("space") << u"http://a b.top/"_s << S::unsound << QString();
    QTest::newRow("nothing readable") << u"//a b/"_s << S::unsound << QString();
    QTest::newRow("ipvfuture") << u"http://[v1.x]/"_s << S::unsound << QString();
    QTest::newRow("ipv6") << u"http://[2001:db8::1]/"_s << S::host << u"2001:db8::1"_s;
}

void tst_LoadTarget::fromUrl()
{
    QFETCH(QString, text);
    QFETCH(LoadTarget::Status, status);
    QFETCH(QString, host);
    const LoadTarget target = LoadTarget::fromUrl(QUrl(text));
    QCOMPARE(target.status(), status);
    QCOMPARE(target.host().withoutTrailingDots().toString(), host);
}

void tst_LoadTarget::refusedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refused");

    QTest::newRow("taken") << u"http://scam.top/"_s << QString();
    QTest::newRow("trailing dots") << u"http://scam.top../order"_s << u"http://scam.top../order"_s;
    // The quote ends QUrl's quotation only where its component list follows.
    QTest::newRow("quote in the path")
        << u"http://scam.top../a\";b"_s << u"http://scam.top../a\";b"_s;
}

void tst_LoadTarget::refusedText()
{
    QFETCH(QString, text);
    QFETCH(QString, refused);
    QCOMPARE(LoadTarget::refusedText(QUrl(text)), refused);
}

QTEST_APPLESS_MAIN(tst_LoadTarget)
#include "tst_loadtarget.moc"
