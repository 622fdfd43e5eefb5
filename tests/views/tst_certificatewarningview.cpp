#include "views/warning/CertificateWarningView.h"

#include "browser/BrowserViewModel.h"
#include "support/EngineWait.h"
#include "support/TestProxyServer.h"
#include "support/TestStores.h"
#include "views/browser/BrowserView.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSslKey>
#include <QSslServer>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int engineTimeout = 30000;

const QUrl startUrl(u"http://blog.example.com/start"_s);
const QUrl imagePageUrl(u"http://blog.example.com/image"_s);
const QUrl secureUrl(u"https://checkout.example.com/cart"_s);

QByteArray testData(const QString &name)
{
    QFile file(QFINDTESTDATA(u"data/"_s + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Environment : TestStores
{
    BrowserViewModel viewModel {ruleStore};
    BrowserView view {viewModel, ruleStore, themeManager, *QWebEngineProfile::defaultProfile()};
};

} // namespace

// A shop's address over https whose certificate the engine does not trust:
// a TLS server with a throw-away self-signed certificate, reached by its
// host name through the test proxy.
class TestCertificateWarningView : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void warningTakesThePagesPlace_data();
    void warningTakesThePagesPlace();

private:
    QSslServer m_tlsServer;
    int m_served = 0;
};

void TestCertificateWarningView::initTestCase()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(testData(u"checkout.example.com.pem"_s)));
    tls.setPrivateKey(QSslKey(testData(u"checkout.example.com.key"_s), QSsl::Ec));
    QVERIFY(!tls.localCertificate().isNull() && !tls.privateKey().isNull());
    m_tlsServer.setSslConfiguration(tls);
    connect(&m_tlsServer, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_tlsServer.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                ++m_served;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                              "Connection: close\r\n\r\n<title>お会計</title>secure");
                socket->disconnectFromHost();
            });
        }
    });
    QVERIFY(m_tlsServer.listen(QHostAddress::LocalHost));

    auto *proxy = new TestProxyServer;
    proxy->installAsEngineProxy();
    proxy->setTunnel(secureUrl.host(), m_tlsServer.serverPort());
    proxy->setPage(startUrl.host(), startUrl.path(), "<title>start</title>");
    proxy->setPage(imagePageUrl.host(), imagePageUrl.path(),
                   "<title>image</title><img src=\"https://checkout.example.com/logo.png\">");
}

void TestCertificateWarningView::warningTakesThePagesPlace_data()
{
    QTest::addColumn<QUrl>("url");
    // The warning's button pressed, or "close" for a pane closed meanwhile.
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QUrl>("shown");
    QTest::addColumn<int>("pages"); // in the pane's history
    QTest::addColumn<int>("served"); // by the shop

    // Only the page's own address is the user's to decide; an image from a
    // host with a bad certificate is left out silently.
    QTest::newRow("image") << imagePageUrl << QString() << imagePageUrl << 2 << 0;
    QTest::newRow("back") << secureUrl << u"certificateWarningGoBackButton"_s << startUrl << 1 << 0;
    // A pane closed while its warning asks takes the waiting load along.
    QTest::newRow("pane closed") << secureUrl << u"close"_s << QUrl() << 0 << 0;
    // Last: proceeding makes the engine trust the certificate for the rest
    // of the run.
    QTest::newRow("proceed") << secureUrl << u"certificateWarningProceedButton"_s << secureUrl << 2
                             << 1;
}

void TestCertificateWarningView::warningTakesThePagesPlace()
{
    QFETCH(QUrl, url);
    QFETCH(QString, answer);
    QFETCH(QUrl, shown);
    QFETCH(int, pages);
    QFETCH(int, served);
    auto env = std::make_unique<Environment>();
    BrowserView &view = env->view;
    view.resize(1000, 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QWebEngineView *webView = view.webView();
    env->viewModel.loadURL(startUrl);
    QVERIFY(waitForEngine([webView] { return webView->title() == u"start"_s; }, engineTimeout));
    m_served = 0;

    CertificateWarningView *warning = view.certificateWarningView();
    env->viewModel.loadURL(url);
    if (!answer.isEmpty()) {
        QVERIFY(waitForEngine([warning] { return warning->isVisible(); }, engineTimeout));
        QVERIFY(!webView->isVisible());
        QCOMPARE(warning->findChild<QLabel *>(u"certificateWarningAddress"_s)->text(),
                 secureUrl.toString());
        // The engine waits for the answer: no error page of its own behind
        // the warning.
        QTest::qWait(300);
        QCOMPARE(webView->url(), startUrl);
        // Pictures for the documentation are written only when asked for.
        const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(view.grab().save(QDir(folder).filePath(u"certificate-warning.png"_s)));
        auto *button = warning->findChild<QPushButton *>(answer);
        QCOMPARE(button && button->isVisible(), answer != u"close"_s);
        if (button)
            button->click();
        else
            env.reset();
    }
    if (env) {
        QVERIFY(waitForEngine(
            [&] { return webView->url() == shown && !env->viewModel.isLoading(); }, engineTimeout));
        QVERIFY(!warning->isVisible());
        QVERIFY(webView->isVisible());
        QCOMPARE(webView->history()->count(), pages);
    }
    // Nothing reaches the shop later either (the page's icon may, once shown).
    if (served == 0)
        QTest::qWait(300);
    QCOMPARE(m_served, served);
}

QTEST_MAIN(TestCertificateWarningView)
#include "tst_certificatewarningview.moc"
