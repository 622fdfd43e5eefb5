#include "history/SessionStore.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSessionStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedWindowsComeBack();
    void unreadableFileIsMovedAside_data();
    void unreadableFileIsMovedAside();
    void restoringIsOnUntilTurnedOff();
};

void TestSessionStore::savedWindowsComeBack()
{
    QTemporaryDir dir;
    const SessionStore store(dir.filePath(u"session.json"_s));
    QVERIFY(store.load().isEmpty());
    const QList<SessionWindow> windows {
        {{{QUrl(u"https://www.amazon.co.jp/dp/B0?x=%E3%81%82#top"_s), false},
          {QUrl(u"http://scam.top/"_s), true}},
         1},
        {{{QUrl(u"file:///home/user/receipt.html"_s), false}}, 0},
    };
    QVERIFY(store.save(windows));
    QCOMPARE(SessionStore(store.filePath()).load(), windows);
    // Closing every window leaves nothing to restore.
    QVERIFY(store.save({}));
    QVERIFY(store.load().isEmpty());
}

void TestSessionStore::unreadableFileIsMovedAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addRow("truncated") << QByteArray(R"({"version":1,"windows":[{"pages":[{"url":"ht)");
    QTest::addRow("later version") << QByteArray(R"({"version":2,"windows":[]})");
    QTest::addRow("windows not a list") << QByteArray(R"({"version":1,"windows":{}})");
}

void TestSessionStore::unreadableFileIsMovedAside()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"session.json"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QVERIFY(SessionStore(path).load().isEmpty());
    QVERIFY(!QFile::exists(path));
    const QStringList aside = QDir(dir.path()).entryList({u"session.json.unreadable-*"_s});
    QCOMPARE(aside.size(), 1);
    QFile kept(dir.filePath(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), content);
}

void TestSessionStore::restoringIsOnUntilTurnedOff()
{
    QTemporaryDir dir;
    SettingsPreferencesStore preferences(dir.filePath(u"preferences.ini"_s));
    QVERIFY(SessionStore::restoresAtStart(preferences));
    SessionStore::setRestoresAtStart(preferences, false);
    QVERIFY(!SessionStore::restoresAtStart(SettingsPreferencesStore(preferences.fileName())));
}

QTEST_GUILESS_MAIN(TestSessionStore)
#include "tst_sessionstore.moc"
