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
    QTcpServer proxy;
    QVERIFY(proxy.listen(QHostAddress::LocalHost, 0));
    QStringList requestLines;
    connect(&proxy, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *socket = proxy.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [&requestLines, socket] {
                if (!socket->canReadLine())
                    return;
                requestLines.append(QString::fromLatin1(socket->readLine().trimmed()));
                socket->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });

    QTemporaryDir home;
    QProcessEnvironment env = freshUser(home);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"QTWEBENGINE_CHROMIUM_FLAGS"_s,
               u"--proxy-server=http://127.0.0.1:%1 --disable-gpu"_s.arg(proxy.serverPort()));
    QProcess browser;
    browser.setProcessEnvironment(env);
    browser.start(browserExecutable(), {});
    QVERIFY(browser.waitForStarted());

    const QString searchTunnel = u"CONNECT www.google.co.jp:443 HTTP/1.1"_s;
    QTRY_VERIFY_WITH_TIMEOUT(requestLines.contains(searchTunnel), startTimeout);
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

    browser.terminate();
    if (!browser.waitForFinished(10000)) {
        browser.kill();
        browser.waitForFinished();
    }
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
