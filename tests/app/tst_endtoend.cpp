#include "rules/SecurityRuleStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int startTimeout = 60000;

QString browserExecutable()
{
    return QString::fromUtf8(VELMORA_BROWSER_EXECUTABLE);
}

// The environment of a user with a fresh home: nothing stored yet.
QProcessEnvironment freshUser(const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    env.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
    env.insert(u"LANG"_s, u"C.UTF-8"_s);
    return env;
}

// Stands in for the network: records each request line the engine sends,
// answers plain requests with a small page and refuses tunnels.
class RecordingProxy
{
public:
    RecordingProxy()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    const QByteArray line = socket->readLine().trimmed();
                    lines.append(QString::fromLatin1(line));
                    socket->write(line.startsWith("GET ")
                                      ? "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                        "Content-Length: 20\r\nConnection: close\r\n\r\n"
                                        "<title>page</title>\n"
                                      : "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n"
                                        "Connection: close\r\n\r\n");
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    // The environment of a fresh user whose browser talks to this proxy.
    QProcessEnvironment environment(const QTemporaryDir &home) const
    {
        QProcessEnvironment env = freshUser(home);
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, home.path());
        env.insert(
            u"QTWEBENGINE_CHROMIUM_FLAGS"_s,
            u"--proxy-server=http://127.0.0.1:%1 --disable-gpu"_s.arg(m_server.serverPort()));
        return env;
    }

    QStringList lines;

private:
    QTcpServer m_server;
};

void stop(QProcess &browser)
{
    browser.terminate();
    if (!browser.waitForFinished(10000)) {
        browser.kill();
        browser.waitForFinished();
    }
}

const QString searchTunnel = u"CONNECT www.google.co.jp:443 HTTP/1.1"_s;

} // namespace

// Starts the real program as a user would and watches what it does from the
// outside: what it says, which addresses it asks the network for, and what it
// writes to the settings file.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutDisplayExplainsXvfb();
    void firstStartSearchesAndStoresDefaults();
    void addressArgumentsOpenScreenedInOneInstance();
    void windowsComeBackAfterACrash();
};

void TestEndToEnd::withoutDisplayExplainsXvfb()
{
    QTemporaryDir home;
    QProcessEnvironment env = freshUser(home);
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);

    QProcess browser;
    browser.setProcessEnvironment(env);
    browser.start(browserExecutable(), {});
    QVERIFY(browser.waitForFinished(20000));
    QCOMPARE(browser.exitStatus(), QProcess::NormalExit);
    QCOMPARE(browser.exitCode(), 0);
    const QString out = QString::fromUtf8(browser.readAllStandardOutput());
    QVERIFY2(out.contains(u"xvfb-run"_s), qPrintable(out));
    // Nothing is written for a start that never happened.
    QVERIFY(!QFile::exists(home.filePath(u"config/Velmora"_s)));
}

void TestEndToEnd::firstStartSearchesAndStoresDefaults()
{
    // The engine's requests go to this proxy. The start-up search is https,
    // so the engine asks for a tunnel to Google's host, and the request line
    // names it; the tunnel is refused, which the window survives.
    RecordingProxy proxy;
    QTemporaryDir home;
    QProcess browser;
    browser.setProcessEnvironment(proxy.environment(home));
    browser.start(browserExecutable(), {});
    QVERIFY(browser.waitForStarted());

    QTRY_VERIFY_WITH_TIMEOUT(proxy.lines.contains(searchTunnel), startTimeout);
    QCOMPARE(browser.state(), QProcess::Running);

    // The built-in rules are in the user's settings file after the start.
    const QString file = home.filePath(u"config/Velmora/VelmoraShoppingBrowser.ini"_s);
    QVERIFY2(QFile::exists(file), qPrintable(file));
    QSettings settings(file, QSettings::IniFormat);
    const QJsonDocument shops = QJsonDocument::fromJson(
        settings.value(QString::fromLatin1(SecurityRuleStore::trustedShopsKey)).toByteArray());
    QVERIFY(shops.isArray());
    QCOMPARE(shops.array().size(), 25);
    QCOMPARE(shops.array().first().toObject().value(u"domain"_s).toString(), u"amazon.co.jp"_s);
    const QJsonDocument patterns = QJsonDocument::fromJson(
        settings.value(QString::fromLatin1(SecurityRuleStore::excludedPatternsKey)).toByteArray());
    QVERIFY(patterns.isArray());
    QVERIFY(!patterns.array().isEmpty());

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
    RecordingProxy proxy;
    QTemporaryDir home;
    const QProcessEnvironment env = proxy.environment(home);
    QProcess browser;
    browser.setProcessEnvironment(env);
    browser.start(browserExecutable(),
                  {u"http://shop.example.jp/item?id=1"_s, u"http://scam.top/"_s});
    QVERIFY(browser.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(
        proxy.lines.contains(u"GET http://shop.example.jp/item?id=1 HTTP/1.1"_s), startTimeout);

    // A second start hands its address to the running browser and leaves.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(browserExecutable(), {u"http://other.example.jp/"_s});
    QVERIFY(second.waitForFinished(startTimeout));
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(proxy.lines.contains(u"GET http://other.example.jp/ HTTP/1.1"_s),
                             startTimeout);
    // One without addresses asks it for a new window, which searches.
    QVERIFY(!proxy.lines.contains(searchTunnel));
    second.start(browserExecutable(), {});
    QVERIFY(second.waitForFinished(startTimeout));
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(proxy.lines.contains(searchTunnel), startTimeout);

    // The suspicious address was screened out and never requested.
    QVERIFY2(std::none_of(proxy.lines.cbegin(), proxy.lines.cend(),
                          [](const QString &line) { return line.contains(u"scam.top"_s); }),
             qPrintable(proxy.lines.join(u'\n')));
    QCOMPARE(browser.state(), QProcess::Running);
    stop(browser);
}

void TestEndToEnd::windowsComeBackAfterACrash()
{
    RecordingProxy proxy;
    QTemporaryDir home;
    QProcess browser;
    browser.setProcessEnvironment(proxy.environment(home));
    const QString shop = u"GET http://shop.example.jp/cart HTTP/1.1"_s;
    browser.start(browserExecutable(), {u"http://shop.example.jp/cart"_s});
    QTRY_VERIFY_WITH_TIMEOUT(proxy.lines.contains(shop), startTimeout);
    // Saved as it changes, not at quit: give the page time to arrive.
    const QString sessionFile
        = home.filePath(u"data/Velmora/VelmoraShoppingBrowser/session.json"_s);
    const auto saved = [&sessionFile] {
        QFile session(sessionFile);
        return session.open(QIODevice::ReadOnly)
            && session.readAll().contains("shop.example.jp/cart");
    };
    QTRY_VERIFY_WITH_TIMEOUT(saved(), startTimeout);
    browser.kill();
    QVERIFY(browser.waitForFinished());

    browser.start(browserExecutable(), {});
    QTRY_COMPARE_WITH_TIMEOUT(proxy.lines.count(shop), 2, startTimeout);
    QTest::qWait(2000);
    QVERIFY2(!proxy.lines.contains(searchTunnel), qPrintable(proxy.lines.join(u'\n')));
    stop(browser);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
