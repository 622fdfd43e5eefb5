#include "zoom/ZoomLevels.h"

#include "prefs/SettingsPreferencesStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString zoomKey = QLatin1String(ZoomLevels::storageKey);

} // namespace

class TestZoomLevels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void remembersEachHost();
    void unreadableStoredValueIsKept_data();
    void unreadableStoredValueIsKept();

private:
    QString path() const { return m_dir->filePath(u"settings.ini"_s); }
    std::optional<QTemporaryDir> m_dir;
};

void TestZoomLevels::remembersEachHost()
{
    SettingsPreferencesStore preferences(path());
    ZoomLevels levels(preferences);
    ZoomLevels otherWindow(preferences);
    QSignalSpy heard(&otherWindow, &ZoomLevels::factorChanged);

    QCOMPARE(levels.zoomIn(u"www.Amazon.co.jp"_s, 1.0), 1.1);
    QCOMPARE(levels.zoomIn(u"www.amazon.co.jp."_s, 1.0), 1.25);
    QCOMPARE(levels.zoomOut(u"news.example.com"_s, 1.0), 0.9);
    // Another window picks the change up, and so does the next start.
    QCOMPARE(otherWindow.factor(u"www.amazon.co.jp"_s), 1.25);
    QCOMPARE(heard.count(), 3);
    QCOMPARE(ZoomLevels(preferences).factor(u"WWW.AMAZON.CO.JP"_s), 1.25);
    QCOMPARE(ZoomLevels(preferences).factor(u"amazon.co.jp"_s), 1.0);
    // A private window starts from them and keeps its own to itself.
    ZoomLevels privateWindow(preferences, ZoomLevels::Keeping::thisWindowOnly);
    QCOMPARE(privateWindow.factor(u"www.amazon.co.jp"_s), 1.25);
    QCOMPARE(privateWindow.zoomIn(u"secret.example"_s, 1.0), 1.1);
    QVERIFY(!preferences.data(zoomKey)->contains("secret"));

    // The ends of the ladder hold; 100 % is not stored at all.
    for (int i = 0; i < 30; ++i)
        levels.zoomOut(u"news.example.com"_s, 1.0);
    QCOMPARE(levels.factor(u"news.example.com"_s), 0.25);
    levels.reset(u"news.example.com"_s);
    levels.reset(u"www.amazon.co.jp"_s);
    QCOMPARE(preferences.data(zoomKey), QByteArray("{}"));

    // A page without a host zooms from where it is and leaves no trace.
    QCOMPARE(levels.zoomIn(QString(), 1.5), 1.75);
    QCOMPARE(preferences.data(zoomKey), QByteArray("{}"));
}

void TestZoomLevels::unreadableStoredValueIsKept_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("keptAside");
    QTest::addColumn<double>("amazon");
    QTest::newRow("not json") << QByteArray("{oops") << true << 1.0;
    QTest::newRow("a list") << QByteArray("[1.5]") << true << 1.0;
    QTest::newRow("odd entries only cost themselves")
        << QByteArray(R"({"www.amazon.co.jp":1.5,"a.test":"big","b.test":1e308,"":2})") << false
        << 1.5;
}

void TestZoomLevels::unreadableStoredValueIsKept()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, keptAside);
    QFETCH(double, amazon);
    SettingsPreferencesStore preferences(path());
    preferences.setData(zoomKey, stored);
    ZoomLevels levels(preferences);
    QCOMPARE(levels.factor(u"www.amazon.co.jp"_s), amazon);
    QCOMPARE(levels.factor(u"a.test"_s), 1.0);
    QCOMPARE(levels.factor(u"b.test"_s), 1.0);

    levels.zoomIn(u"shop.example.com"_s, 1.0);
    QCOMPARE(preferences.data(zoomKey + u"_unreadable"_s),
             keptAside ? std::optional(stored) : std::nullopt);
    QCOMPARE(ZoomLevels(preferences).factor(u"shop.example.com"_s), 1.1);
}

QTEST_GUILESS_MAIN(TestZoomLevels)
#include "tst_zoomlevels.moc"
