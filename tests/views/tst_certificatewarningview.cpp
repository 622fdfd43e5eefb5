#include "views/warning/CertificateWarningView.h"

#include "browser/BrowserViewModel.h"
#include "support/EngineWait.h"
#include "support/TestPalette.h"
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

// Pictures for the documentation are written only when asked for.
void saveScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(widget->grab().save(QDir(folder).filePath(name)));
}

struct Environment : TestStores
{
    BrowserViewModel viewModel;
    BrowserView view {viewModel, ruleStore, themeManager};
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
    void init();
    void cleanup();

    void onlyThePagesOwnAddressIsWarnedAbout();
    // Last: proceeding makes the engine trust the certificate for the rest
    // of the run.
    void warningTakesThePagesPlace_data();
    void warningTakesThePagesPlace();

private:
    void loadStartPage();

    TestProxyServer *m_proxy = nullptr;
    QSslServer *m_tlsServer = nullptr;
    int m_served = 0;
    std::unique_ptr<Environment> m_env;
};

void TestCertificateWarningView::initTestCase()
{
    m_tlsServer = new QSslServer(this);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(testData(u"checkout.example.com.pem"_s)));
    tls.setPrivateKey(QSslKey(testData(u"checkout.example.com.key"_s), QSsl::Ec));
    QVERIFY(!tls.localCertificate().isNull() && !tls.privateKey().isNull());
    m_tlsServer->setSslConfiguration(tls);
    connect(m_tlsServer, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_tlsServer->nextPendingConnection()) {
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
    QVERIFY(m_tlsServer->listen(QHostAddress::LocalHost));

    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setTunnel(secureUrl.host(), m_tlsServer->serverPort());
    m_proxy->setPage(imagePageUrl.host(), imagePageUrl.path(),
                     "<title>image</title><img src=\"https://checkout.example.com/logo.png\">");
}

void TestCertificateWarningView::init()
{
    m_env = std::make_unique<Environment>();
    m_env->view.resize(1000, 700);
    m_env->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_env->view));
    m_served = 0;
}

void TestCertificateWarningView::cleanup()
{
    m_env.reset();
}

void TestCertificateWarningView::loadStartPage()
{
    m_env->viewModel.loadURL(startUrl);
    QVERIFY(waitForEngine(
        [this] {
            return m_env->view.webView()->url() == startUrl && !m_env->viewModel.isLoading();
        },
        engineTimeout));
}

void TestCertificateWarningView::onlyThePagesOwnAddressIsWarnedAbout()
{
    // An image from a host with a bad certificate is left out silently.
    m_env->viewModel.loadURL(imagePageUrl);
    QVERIFY(waitForEngine(
        [this] {
            return m_env->view.webView()->title() == u"image"_s && !m_env->viewModel.isLoading();
        },
        engineTimeout));
    QTest::qWait(300);
    QVERIFY(!m_env->view.certificateWarningView()->isVisible());
    QCOMPARE(m_served, 0);
}

void TestCertificateWarningView::warningTakesThePagesPlace_data()
{
    QTest::addColumn<bool>("proceed");
    QTest::newRow("back") << false;
    QTest::newRow("proceed") << true;
}

void TestCertificateWarningView::warningTakesThePagesPlace()
{
    QFETCH(bool, proceed);
    loadStartPage();
    BrowserView &view = m_env->view;
    if (proceed) {
        m_env->themeManager.setCurrentTheme(AppTheme::dark);
        view.setPalette(darkTestPalette());
    }
    CertificateWarningView *warning = view.certificateWarningView();

    m_env->viewModel.loadURL(secureUrl);
    QVERIFY(waitForEngine([warning] { return warning->isVisible(); }, engineTimeout));
    QVERIFY(!view.webView()->isVisible());
    QCOMPARE(warning->findChild<QLabel *>(u"certificateWarningProblem"_s)->text(),
             u"証明書が信頼できません"_s);
    QCOMPARE(warning->findChild<QLabel *>(u"certificateWarningAddress"_s)->text(),
             secureUrl.toString());
    auto *proceedButton = warning->findChild<QPushButton *>(u"certificateWarningProceedButton"_s);
    QVERIFY(proceedButton->isVisible());
    // The engine waits for the answer: no error page of its own behind the
    // warning.
    QTest::qWait(300);
    QCOMPARE(view.webView()->url(), startUrl);
    saveScreenshot(&view,
                   proceed ? u"dark-certificate-warning.png"_s : u"certificate-warning.png"_s);

    if (proceed) {
        proceedButton->click();
        QVERIFY(waitForEngine([&view] { return view.webView()->title() == u"お会計"_s; },
                              engineTimeout));
        QCOMPARE(view.webView()->url(), secureUrl);
        QCOMPARE(m_served, 1);
    } else {
        warning->findChild<QPushButton *>(u"certificateWarningGoBackButton"_s)->click();
        QVERIFY(waitForEngine([this] { return !m_env->viewModel.isLoading(); }, engineTimeout));
        QTest::qWait(300);
        QCOMPARE(view.webView()->url(), startUrl);
        QCOMPARE(view.webView()->history()->count(), 1);
        QCOMPARE(m_served, 0);
    }
    QVERIFY(!warning->isVisible());
    QVERIFY(view.webView()->isVisible());
}

QTEST_MAIN(TestCertificateWarningView)
#include "tst_certificatewarningview.moc"
