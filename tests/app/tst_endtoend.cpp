#include "rules/SecurityRuleStore.h"
#include "support/TestProxyServer.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int startTimeout = 60000;

// The start-up search is https: the engine asks the proxy for a tunnel.
const QString searchHost = u"www.google.co.jp"_s;

// A user with a fresh home, nothing stored yet. The engine's flags, which
// point it at the test's proxy, come from this process's environment.
QProcessEnvironment freshUser(const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    env.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, home.path());
    env.insert(u"LANG"_s, u"C.UTF-8"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return env;
}

void start(QProcess &browser, const QProcessEnvironment &env, const QStringList &arguments = {})
{
    browser.setProcessEnvironment(env);
    browser.start(QString::fromUtf8(VELMORA_BROWSER_EXECUTABLE), arguments);
}

void stop(QProcess &browser)
{
    browser.terminate();
    if (!browser.waitForFinished(10000)) {
        browser.kill();
        browser.waitForFinished();
    }
}

} // namespace

// Starts the real program as a user would and watches what it does from the
// outside: what it says, which addresses it asks the network for, and what it
// writes to the settings file.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_proxy.installAsEngineProxy();
        // Nothing listens on port 1: the tunnel is recorded, then fails, which
        // the window survives.
        m_proxy.setTunnel(searchHost, 1);
    }
    void init() { m_proxy.clearHits(); }
    void endsWithoutStarting_data();
    void endsWithoutStarting();
    void firstStartSearchesAndStoresDefaults();
    void addressArgumentsOpenScreenedInOneInstance();
    void windowsComeBackAfterACrash();

private:
    bool searched() const { return m_proxy.hosts().contains(searchHost); }

    TestProxyServer m_proxy;
};

void TestEndToEnd::endsWithoutStarting_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    // The start without arguments is one without a display.
    QTest::newRow("no display") << QStringList() << 0 << u"xvfb-run"_s;
    QTest::newRow("version") << QStringList {u"--version"_s} << 0 << u"VelmoraShoppingBrowser "_s;
    QTest::newRow("help") << QStringList {u"--help"_s} << 0 << u"[URL...]"_s;
    QTest::newRow("unknown option") << QStringList {u"--bogus"_s} << 1 << u"bogus"_s;
}

// The parser ends the program while the engine's tables and the fonts load
// on another thread: the exit must not take them down half-built.
void TestEndToEnd::endsWithoutStarting()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QTemporaryDir home;
    QProcessEnvironment env = freshUser(home);
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        env.remove(arguments.isEmpty() ? name : QString());

    QProcess browser;
    start(browser, env, arguments);
    QVERIFY(browser.waitForFinished(20000));
    QCOMPARE(browser.exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.exitCode(), exitCode);
    const QString said
        = QString::fromUtf8(browser.readAllStandardOutput() + browser.readAllStandardError());
    QVERIFY2(said.contains(says), qPrintable(said));
    // Nothing is written for a start that never happened.
    QVERIFY(!QFile::exists(home.filePath(u"config/Velmora"_s)));
}

void TestEndToEnd::firstStartSearchesAndStoresDefaults()
{
    QTemporaryDir home;
    QProcess browser;
    start(browser, freshUser(home));
    QTRY_VERIFY_WITH_TIMEOUT(searched(), startTimeout);
    QCOMPARE(browser.state(), QProcess::Running);

    // The built-in rules are in the user's settings file after the start.
    QSettings settings(home.filePath(u"config/Velmora/VelmoraShoppingBrowser.ini"_s),
                       QSettings::IniFormat);
    for (const char *key :
         {SecurityRuleStore::trustedShopsKey, SecurityRuleStore::excludedPatternsKey}) {
        const QByteArray stored = settings.value(QString::fromLatin1(key)).toByteArray();
        QVERIFY2(!QJsonDocument::fromJson(stored).array().isEmpty(), key);
    }

    // As root the engine's sandbox is off, and the program says so, once.
    if (geteuid() == 0) {
        const QString errors = QString::fromUtf8(browser.readAllStandardError());
        QCOMPARE(errors.count(u"running as root, so the web engine's sandbox is off"_s), 1);
        QCOMPARE(errors.count(u"サンドボックスを無効にしました"_s), 1);
    }
    stop(browser);
}

void TestEndToEnd::addressArgumentsOpenScreenedInOneInstance()
{
    QTemporaryDir home;
    QProcess browser;
    // An address that does not parse is blocked as it is, never mended into
    // another one ("http://http//scam.top:99999/").
    start(browser, freshUser(home),
          {u"http://shop.example.jp/item?id=1"_s, u"http://scam.top/"_s,
           u"http://scam.top:99999/first"_s});
    QTRY_VERIFY_WITH_TIMEOUT(m_proxy.hits(u"shop.example.jp"_s, u"/item"_s) > 0, startTimeout);

    // A second start hands its address to the running browser and leaves;
    // one without addresses asks it for a new window, which searches.
    QProcess second;
    start(second, freshUser(home), {u"http://other.example.jp/"_s});
    QVERIFY(second.waitForFinished(startTimeout));
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_proxy.hits(u"other.example.jp"_s, u"/"_s) > 0, startTimeout);
    QVERIFY(!searched());
    start(second, freshUser(home));
    QVERIFY(second.waitForFinished(startTimeout));
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(searched(), startTimeout);

    // A browser that does not answer (here: stopped) is not taken for a
    // dead one, nor is one that refuses a request too big: the new start
    // ends instead of running a second browser on the same data.
    const auto handOff = [&](const QStringList &arguments, const QString &said = {}) {
        start(second, freshUser(home), arguments);
        return second.waitForFinished(startTimeout)
                && QString::fromUtf8(second.readAllStandardError()).contains(said)
            ? second.exitCode()
            : -1;
    };
    QCOMPARE(handOff(QStringList(9, u"http://big.example.jp/"_s + QString(125000, u'a')),
                     u"多すぎるか長すぎる"_s),
             1);
    // So is another program's request of more than a megabyte.
    QLocalSocket other;
    other.connectToServer(
        home.filePath(QDir(home.path()).entryList({u"velmora-*"_s}, QDir::System).value(0)));
    QVERIFY(other.waitForConnected(startTimeout));
    // One byte over: the browser answers once it holds all of it, so the
    // answer never races a write it has stopped reading.
    other.write(QByteArray((1 << 20) + 1, 'a'));
    QVERIFY(other.waitForReadyRead(startTimeout));
    QCOMPARE(other.readAll(), "refused\n");
    ::kill(pid_t(browser.processId()), SIGSTOP);
    const int whileStopped = handOff({u"http://late.example.jp/"_s}, u"応答しない"_s);
    ::kill(pid_t(browser.processId()), SIGCONT);
    QCOMPARE(whileStopped, 1);
    QCOMPARE(handOff({u"http://after.example.jp/"_s}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_proxy.hits(u"after.example.jp"_s, u"/"_s) > 0, startTimeout);
    // The start that gave up said the links were not taken: they stay so.
    QCOMPARE(m_proxy.hits(u"late.example.jp"_s, u"/"_s), 0);

    // The suspicious addresses were screened out and never requested.
    QVERIFY(!m_proxy.hosts().contains(u"scam.top"_s));
    QVERIFY(!m_proxy.hosts().contains(u"http"_s));
    QCOMPARE(browser.state(), QProcess::Running);
    stop(browser);
}

void TestEndToEnd::windowsComeBackAfterACrash()
{
    QTemporaryDir home;
    QProcess browser;
    start(browser, freshUser(home), {u"http://shop.example.jp/cart"_s});
    // Saved as it changes, not at quit: give the page time to arrive.
    QFile session(home.filePath(u"data/Velmora/VelmoraShoppingBrowser/session.json"_s));
    const auto saved = [&session] {
        const bool read = session.open(QIODevice::ReadOnly)
            && session.readAll().contains("shop.example.jp/cart");
        session.close();
        return read;
    };
    QTRY_VERIFY_WITH_TIMEOUT(saved(), startTimeout);
    browser.kill();
    QVERIFY(browser.waitForFinished());

    start(browser, freshUser(home));
    QTRY_COMPARE_WITH_TIMEOUT(m_proxy.hits(u"shop.example.jp"_s, u"/cart"_s), 2, startTimeout);
    QTest::qWait(2000);
    QVERIFY(!searched());
    stop(browser);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
