// The browser pane on the real engine: its page's menu and dialogs, the
// warnings over a blocked page or an untrusted certificate, the windows a
// page opens, and the page keys, pressed on the window while the page has the
// focus, as a user would.
#include "views/browser/BrowserView.h"

#include "browser/BrowserViewModel.h"
#include "browser/ScreeningWebPage.h"
#include "browser/WebViewHost.h"
#include "prefs/FileBytes.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/EngineWait.h"
#include "support/Screenshots.h"
#include "support/TestProxyServer.h"
#include "support/TestStores.h"
#include "views/browser/BrowserPageActions.h"
#include "views/browser/FindBarView.h"
#include "views/browser/JavaScriptDialog.h"
#include "views/browser/PageCrashedView.h"
#include "views/browser/PageWebView.h"
#include "views/warning/CertificateWarningView.h"
#include "views/warning/SafeGuardWarningView.h"
#include "zoom/ZoomLevels.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QTest>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace {

const QUrl pageUrl(u"http://blog.example.com/page"_s);
const QUrl otherUrl(u"http://blog.example.com/other"_s);
const QUrl clickedUrl(u"http://blog.example.com/clicked"_s);
const QUrl shopUrl(u"http://shop.example.com/item"_s);
const QUrl scamUrl(u"http://cheap-brand-outlet.top/"_s);
const QUrl otherScamUrl(u"http://super-sale-store.xyz/item"_s);
const QUrl orderUrl(u"http://www.amazon.co.jp/order"_s);
const QUrl slowPageUrl(u"http://news.example.com/slow"_s);
const QUrl slowImageUrl(u"http://slow.example.com/image.png"_s);
const QUrl imagePageUrl(u"http://blog.example.com/image"_s);
const QUrl secureUrl(u"https://checkout.example.com/cart"_s);
const QUrl imageUrl(u"http://blog.example.com/bag.svg"_s);
const QString alertHeading = u"blog.example.com の表示内容"_s;
// The offer to silence the page, after a dialog's own text and buttons.
const QString silence = u"|"_s + QString::fromUtf8(JavaScriptDialog::silenceText);

// Everything where a right-click or a click can find it.
const QByteArray page
    = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>page</title><style>"
      "body { margin: 0 } a, p, input { position: absolute; left: 10px; font: 20px sans-serif }"
      "</style></head><body>"
      "<a id=\"shop\" href=\"http://shop.example.com/item\" style=\"top: 10px\">shop</a>"
      "<a id=\"scam\" href=\"http://cheap-brand-outlet.top/\" style=\"top: 60px\">scam</a>"
      "<a id=\"script\" href=\"javascript:void 0\" style=\"top: 110px\">script</a>"
      "<p id=\"long\" style=\"top: 210px; margin: 0\">abcdefghijklmnopqrstuvwxyz0123456789</p>"
      "<input id=\"field\" value=\"財布\" style=\"top: 260px\">"
      "<a target=\"_blank\" href=\"http://blog.example.com/clicked\" style=\"top: 310px\">sale</a>"
      "<a href=\"http://xn--rkuten-3nf.co.jp/%E3%82%BB%E3%83%BC%E3%83%AB\" style=\"top: 360px\">"
      "look-alike</a>"
      "<img src=\"http://blog.example.com/bag.svg\" width=\"40\" height=\"40\""
      " style=\"position: absolute; left: 10px; top: 400px\">"
      "</body></html>";

struct Fixture : TestStores
{
    ZoomLevels zoomLevels {preferences};
    BrowserViewModel viewModel {ruleStore};
    BrowserView view {viewModel, ruleStore, themeManager, *QWebEngineProfile::defaultProfile()};
    BrowserPageActions actions {view};
    PageWebView *webView() { return qobject_cast<PageWebView *>(view.webView()); }
};

} // namespace

class TestBrowserView : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init()
    {
        m_env = std::make_unique<Fixture>();
        m_env->view.setZoomLevels(m_env->zoomLevels);
        m_env->actions.setView(&m_env->view);
        m_env->view.resize(800, 600);
        m_env->view.show();
        QVERIFY(QTest::qWaitForWindowActive(&m_env->view));
        QVERIFY(load(pageUrl));
        m_accept = true;
        m_dialogs.clear();
    }
    void cleanup() { m_env.reset(); }

    void menuOffersWhatWorks_data();
    void menuOffersWhatWorks();
    void pageDialogsAreTheBrowsersOwn_data();
    void pageDialogsAreTheBrowsersOwn();
    void leavingAKeptPageAsksFirst();
    void clickedWindowOpensAfterScriptFlood();
    void certificateWarningTakesThePagesPlace_data();
    void certificateWarningTakesThePagesPlace();
    void pageKeysFindZoomPrintAndStop();
    void hoveredLinkShowsWhereItLeads();
    void crashOrEachBlockTakesThePagesPlace();

private:
    bool load(const QUrl &url)
    {
        BrowserViewModel &vm = m_env->viewModel;
        vm.loadURL(url);
        const bool loaded = waitForEngine([&] {
            return vm.currentURL() == url && !vm.isLoading() && vm.estimatedProgress() >= 1.0;
        });
        m_env->webView()->setFocus();
        return loaded && waitForEngine([this] { return m_env->webView()->hasFocus(); }, 2000);
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(m_env->view.windowHandle(), Qt::Key(key), modifiers);
    }
    QVariant runScript(const QString &script)
    {
        return ::runScript(m_env->webView()->page(), script);
    }
    // Answers every page dialog from inside its own event loop, noting what
    // each one showed, and takes the silence it offers.
    void answerDialog()
    {
        auto *dialog = qobject_cast<JavaScriptDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        QStringList seen;
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            seen.append(label->text());
        if (auto *input = dialog->findChild<QLineEdit *>()) {
            seen.append(input->text());
            input->setText(u"3"_s);
        }
        for (const QPushButton *button : dialog->findChildren<QPushButton *>())
            seen.append(button->text());
        if (auto *silence = dialog->findChild<QCheckBox *>()) {
            seen.append(silence->text());
            silence->setChecked(true);
        }
        m_dialogs.append(seen.join(u'|'));
        m_accept ? dialog->accept() : dialog->reject();
    }

    // Lives as long as the process: the engine's proxy flag cannot change.
    TestProxyServer *m_proxy = nullptr;
    // A shop's address over https whose certificate the engine does not
    // trust: a TLS server with a throw-away self-signed certificate, reached
    // by its host name through the proxy.
    QSslServer m_tlsServer;
    int m_served = 0;
    std::unique_ptr<Fixture> m_env;
    QTimer m_answerer;
    bool m_accept = true;
    QStringList m_dialogs;
};

void TestBrowserView::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(pageUrl.host(), pageUrl.path(), page);
    m_proxy->setPage(imageUrl.host(), imageUrl.path(),
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"40\">"
                     "<rect width=\"40\" height=\"40\" fill=\"#e91e63\"/></svg>",
                     "image/svg+xml");
    m_proxy->setPage(
        orderUrl.host(), orderUrl.path(),
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>ご注文の確認"
        "</title></head><body><p>MacBook Air</p><p>MacBook Pro</p>"
        "<p>macbook ケース</p><script>document.onkeydown = e => { if (e.key === 'Escape') "
        "document.title = 'Esc'; };</script></body></html>");
    m_proxy->setStalled(slowImageUrl.host(), slowImageUrl.path());
    m_proxy->setPage(slowPageUrl.host(), slowPageUrl.path(),
                     "<!DOCTYPE html><html><body><img src=\"" + slowImageUrl.toEncoded()
                         + "\"></body></html>");
    m_proxy->setPage(imagePageUrl.host(), imagePageUrl.path(),
                     "<title>image</title><img src=\"https://checkout.example.com/logo.png\">");

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(
        QSslCertificate(fileBytes(QFINDTESTDATA("data/checkout.example.com.pem"))));
    tls.setPrivateKey(QSslKey(fileBytes(QFINDTESTDATA("data/checkout.example.com.key")), QSsl::Ec));
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
    m_proxy->setTunnel(secureUrl.host(), m_tlsServer.serverPort());
    connect(&m_answerer, &QTimer::timeout, this, &TestBrowserView::answerDialog);
    m_answerer.start(20);
}

void TestBrowserView::menuOffersWhatWorks_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QString>("selectScript");
    QTest::addColumn<QStringList>("texts");
    // The item chosen, and the address it leads to: shown, blocked by the
    // warning, or downloaded.
    QTest::addColumn<QString>("action");
    QTest::addColumn<QUrl>("url");

    const QString selectText
        = u"const r = document.createRange(); r.selectNodeContents(document.getElementById('%1'));"
          "getSelection().removeAllRanges(); getSelection().addRange(r);"_s;
    const QStringList pageTexts {u"戻る"_s, u"進む"_s, u"再読み込み"_s};
    const QStringList linkTexts {u"新しいタブで開く"_s, u"リンクのアドレスをコピー"_s,
                                 u"リンク先を保存"_s};
    // The search bar's filter and engine.
    TestStores stores;
    const SecurityRuleStore &store = stores.ruleStore;
    const QUrl search = *SafeBrowsingEngine().buildSearchURL(
        u"財布"_s, store.filterMode(), store.searchEngine(), store, std::nullopt);

    QTest::newRow("link") << QPoint(20, 20) << QString() << linkTexts << u"openInNewTabAction"_s
                          << shopUrl;
    QTest::newRow("saved link") << QPoint(20, 20) << QString() << linkTexts << u"saveLinkAction"_s
                                << shopUrl;
    QTest::newRow("saved scam link")
        << QPoint(20, 70) << QString() << linkTexts << u"saveLinkAction"_s << scamUrl;
    QTest::newRow("script link is no link")
        << QPoint(20, 120) << QString() << pageTexts << QString() << QUrl();
    QTest::newRow("long selection")
        << QPoint(20, 220) << selectText.arg(u"long"_s)
        << QStringList {u"コピー"_s, u"「abcdefghijklmnopqrst…」を検索"_s} << QString() << QUrl();
    QTest::newRow("image") << QPoint(30, 420) << QString()
                           << QStringList {u"画像を保存"_s, u"画像をコピー"_s,
                                           u"画像のアドレスをコピー"_s}
                           << u"saveImageAction"_s << imageUrl;
    QTest::newRow("text field") << QPoint(20, 270)
                                << u"document.getElementById('field').select();"_s
                                << QStringList {u"切り取り"_s, u"コピー"_s, u"貼り付け"_s,
                                                u"すべて選択"_s, u"「財布」を検索"_s}
                                << u"searchSelectionAction"_s << search;
}

void TestBrowserView::menuOffersWhatWorks()
{
    QFETCH(QPoint, position);
    QFETCH(QString, selectScript);
    QFETCH(QStringList, texts);
    QFETCH(QString, action);
    QFETCH(QUrl, url);
    PageWebView *webView = m_env->webView();
    QUrl downloaded;
    const QObject downloadWatch;
    connect(webView->page()->profile(), &QWebEngineProfile::downloadRequested, &downloadWatch,
            [&downloaded](QWebEngineDownloadRequest *request) { downloaded = request->url(); });
    if (!selectScript.isEmpty())
        runScript(selectScript);
    QTest::mouseClick(webView->focusProxy(), Qt::RightButton, {}, position);
    QVERIFY(waitForEngine([webView] { return webView->contextMenu() != nullptr; }));
    QMenu *menu = webView->contextMenu();
    QStringList shown;
    QAction *chosen = nullptr;
    for (QAction *item : menu->actions()) {
        if (!item->isSeparator())
            shown.append(item->text());
        if (!action.isEmpty() && item->objectName() == action)
            chosen = item;
    }
    QCOMPARE(shown, texts);
    if (action.isEmpty())
        return;
    QVERIFY(chosen);
    QSignalSpy newTab(&m_env->view, &BrowserView::openInNewTabRequested);
    chosen->trigger();

    if (action == u"openInNewTabAction"_s) {
        // The window opens it in a tab of its own, which screens it.
        QCOMPARE(newTab.size(), 1);
        QCOMPARE(newTab.first().first().toUrl(), url);
        QVERIFY(!m_env->view.isShowingWarning());
    } else if (url == scamUrl) {
        QVERIFY(waitForEngine([this] { return m_env->view.isShowingWarning(); }));
        QCOMPARE(m_proxy->hits(scamUrl.host(), scamUrl.path()), 0);
        QVERIFY(downloaded.isEmpty());
    } else if (action == u"saveLinkAction"_s || action == u"saveImageAction"_s) {
        QVERIFY(waitForEngine([&] { return downloaded == url; }));
    } else {
        QVERIFY(waitForEngine([&] { return m_env->viewModel.currentURL() == url; }));
    }
}

void TestBrowserView::pageDialogsAreTheBrowsersOwn_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("result");

    const QString confirmPrompt
        = u"[confirm('購入しますか？'), String(prompt('数量', '1'))].join()"_s;
    const QStringList asked {alertHeading + u"|購入しますか？|OK|キャンセル"_s,
                             alertHeading + u"|数量|1|OK|キャンセル"_s + silence};
    const QString virus = alertHeading + u"|ウイルスに感染しています|OK"_s;
    QTest::newRow("alert") << u"alert('<b>在庫わずか</b>'); 'closed'"_s << true
                           << QStringList {alertHeading + u"|<b>在庫わずか</b>|OK"_s}
                           << u"closed"_s;
    // The second dialog of a page offers silence.
    QTest::newRow("confirm, prompt") << confirmPrompt << true << asked << u"true,3"_s;
    QTest::newRow("confirm, prompt cancelled")
        << confirmPrompt << false << asked << u"false,null"_s;
    // Once the user takes the silence the page's loop runs out without a
    // dialog.
    QTest::newRow("loop silenced")
        << u"for (let i = 0; i < 20; ++i) alert('ウイルスに感染しています'); 'done'"_s << true
        << QStringList {virus, virus + silence} << u"done"_s;
}

void TestBrowserView::pageDialogsAreTheBrowsersOwn()
{
    QFETCH(QString, script);
    QFETCH(bool, accept);
    QFETCH(QStringList, shown);
    QFETCH(QString, result);
    m_accept = accept;
    QCOMPARE(runScript(script).toString(), result);
    QCOMPARE(m_dialogs, shown);

    // Silence, and the offer of it, outlast a reload (a page that alerts
    // and reloads itself), but not the site.
    const int heard = int(m_dialogs.size());
    m_env->viewModel.reload();
    QVERIFY(waitForEngine([this] { return !m_env->viewModel.isLoading(); }));
    runScript(u"alert('ウイルスに感染しています')"_s);
    QCOMPARE(m_dialogs.size(), shown.size() + (shown.constLast().endsWith(silence) ? 0 : 1));
    if (m_dialogs.size() > heard)
        QVERIFY(m_dialogs.constLast().endsWith(silence));
    m_env->viewModel.loadURL(orderUrl);
    QVERIFY(waitForEngine([this] { return !m_env->viewModel.isLoading(); }));
    runScript(u"alert('ご注文ありがとうございます')"_s);
    QCOMPARE(m_dialogs.constLast(),
             orderUrl.host() + u" の表示内容|ご注文ありがとうございます|OK"_s);

    // A page out of sight (a tab behind) is not heard: closed unseen.
    const qsizetype seen = m_dialogs.size();
    m_env->view.hide();
    QCOMPARE(runScript(u"alert('カード情報を再入力してください'); confirm('続けますか？')"_s),
             QVariant(false));
    QCOMPARE(m_dialogs.size(), seen);
}

void TestBrowserView::leavingAKeptPageAsksFirst()
{
    // The engine asks only for a page the user has interacted with.
    PageWebView *webView = m_env->webView();
    runScript(u"addEventListener('beforeunload', e => { e.returnValue = 'x'; }); 1"_s);
    // A click can land before the page takes input; click until it counts.
    QVERIFY(waitForEngine([this, webView] {
        QTest::mouseClick(webView->focusProxy(), Qt::LeftButton, {}, QPoint(600, 500));
        return runScript(u"navigator.userActivation.hasBeenActive"_s).toBool();
    }));

    for (const bool leave : {false, true}) {
        m_accept = leave;
        m_env->viewModel.loadURL(otherUrl);
        QVERIFY(waitForEngine([this, leave] { return m_dialogs.size() == (leave ? 2 : 1); }));
        QVERIFY(waitForEngine(
            [webView, leave] { return webView->url() == (leave ? otherUrl : pageUrl); }));
        // Staying leaves no load behind.
        QTest::qWait(300);
        QVERIFY(!m_env->viewModel.isLoading());
    }
    const QString question
        = u"このページから移動しますか？|入力した内容は保存されない可能性があります。|移動|キャンセル"_s;
    QCOMPARE(m_dialogs, (QStringList {question, question + silence}));
}

void TestBrowserView::clickedWindowOpensAfterScriptFlood()
{
    // New windows open as tabs, each judged by its own view model, as the
    // window makes them.
    std::vector<std::unique_ptr<BrowserViewModel>> tabs;
    QObject pages;
    qobject_cast<ScreeningWebPage *>(m_env->webView()->page())->setTabOpener([&](bool) {
        tabs.push_back(std::make_unique<BrowserViewModel>(m_env->ruleStore));
        return WebViewHost::makeWebView(*tabs.back(), &pages);
    });
    // The page spends its allowance of windows without a gesture, and more:
    // only the allowance opens, each tab blocked, and the page stays.
    runScript(u"for (let i = 0; i < 20; ++i) window.open('http://cheap-brand-outlet.top/p' + i)"_s);
    const int allowance = ScreeningWebPage::popupsWithoutGesturePerLoad;
    QTRY_VERIFY_ENGINE(tabs.size() == size_t(allowance) && tabs.back()->isBlocked());

    // The user's own click still opens its window.
    QTest::mouseClick(m_env->webView()->focusProxy(), Qt::LeftButton, {}, QPoint(20, 320));
    QTRY_COMPARE_ENGINE(tabs.size(), size_t(allowance + 1));
    QTRY_COMPARE_ENGINE(tabs.back()->currentURL(), clickedUrl);
    QCOMPARE(m_env->webView()->url(), pageUrl);
}

void TestBrowserView::certificateWarningTakesThePagesPlace_data()
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
    QTest::newRow("back") << secureUrl << u"certificateWarningGoBackButton"_s << pageUrl << 1 << 0;
    // A pane closed while its warning asks takes the waiting load along.
    QTest::newRow("pane closed") << secureUrl << u"close"_s << QUrl() << 0 << 0;
    // Last: proceeding makes the engine trust the certificate for the rest
    // of the run.
    QTest::newRow("proceed") << secureUrl << u"certificateWarningProceedButton"_s << secureUrl << 2
                             << 1;
}

void TestBrowserView::certificateWarningTakesThePagesPlace()
{
    QFETCH(QUrl, url);
    QFETCH(QString, answer);
    QFETCH(QUrl, shown);
    QFETCH(int, pages);
    QFETCH(int, served);
    BrowserView &view = m_env->view;
    QWebEngineView *webView = view.webView();
    CertificateWarningView *warning = view.certificateWarningView();
    m_served = 0;
    m_env->viewModel.loadURL(url);
    if (!answer.isEmpty()) {
        QVERIFY(waitForEngine([warning] { return warning->isVisible(); }));
        QVERIFY(!webView->isVisible());
        QCOMPARE(warning->findChild<QLabel *>(u"certificateWarningAddress"_s)->text(),
                 secureUrl.toString());
        // The engine waits for the answer: no error page of its own behind
        // the warning.
        QTest::qWait(300);
        QCOMPARE(webView->url(), pageUrl);
        // The tab speaks of the address in question, as not trusted.
        QCOMPARE(m_env->viewModel.shownURL(), secureUrl);
        QCOMPARE(m_env->viewModel.shownTitle(), secureUrl.host());
        QVERIFY(m_env->viewModel.isConnectionUntrusted());
        // It waits for the user, not the network: nothing spins.
        QVERIFY(!m_env->viewModel.isLoading());
        if (screenshotsWanted())
            view.resize(1000, 700);
        QVERIFY(saveScreenshot(&view, u"certificate-warning.png"_s));
        auto *button = warning->findChild<QPushButton *>(answer);
        QCOMPARE(button && button->isVisible(), answer != u"close"_s);
        if (button)
            button->click();
        else
            m_env.reset();
    }
    if (m_env) {
        QVERIFY(waitForEngine(
            [&] { return webView->url() == shown && !m_env->viewModel.isLoading(); }));
        QVERIFY(!warning->isVisible());
        QVERIFY(webView->isVisible());
        QCOMPARE(webView->history()->count(), pages);
        // Past the warning the page is still not one to trust.
        QCOMPARE(m_env->viewModel.shownURL(), shown);
        QCOMPARE(m_env->viewModel.isConnectionUntrusted(), shown == secureUrl);
    }
    // Nothing reaches the shop later either (the page's icon may, once shown).
    if (served == 0)
        QTest::qWait(300);
    QCOMPARE(m_served, served);
}

void TestBrowserView::pageKeysFindZoomPrintAndStop()
{
    QVERIFY(load(orderUrl));
    FindBarView *bar = m_env->view.findBar();
    QVERIFY(!bar->isVisible());
    press(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->field()->hasFocus());

    QTest::keyClicks(bar->field(), u"macbook"_s);
    QTRY_COMPARE_ENGINE(bar->countText(), u"1/3件"_s);
    for (const auto &[key, modifier, count] : {std::tuple {Qt::Key_F3, Qt::NoModifier, u"2/3件"_s},
                                               {Qt::Key_Return, Qt::NoModifier, u"3/3件"_s},
                                               {Qt::Key_F3, Qt::NoModifier, u"1/3件"_s},
                                               {Qt::Key_F3, Qt::ShiftModifier, u"3/3件"_s},
                                               {Qt::Key_Return, Qt::ShiftModifier, u"2/3件"_s}}) {
        press(key, modifier);
        QTRY_COMPARE_ENGINE(bar->countText(), count);
    }
    QTest::keyClicks(bar->field(), u"xyz"_s);
    QTRY_COMPARE_ENGINE(bar->countText(), u"見つかりません"_s);

    // Esc closes the bar and gives the page its focus back; the load is not
    // touched.
    press(Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QTRY_VERIFY(m_env->webView()->hasFocus());
    // With nothing to close or stop, Esc is the page's own.
    press(Qt::Key_Escape);
    QTRY_COMPARE_ENGINE(m_env->webView()->title(), u"Esc"_s);

    // Zoom is remembered per host: another host opens at its own zoom, coming
    // back brings this one's.
    QWebEnginePage *page = m_env->webView()->page();
    for (const auto &[key, factor] :
         {std::pair {Qt::Key_Plus, 1.1}, std::pair {Qt::Key_Equal, 1.25},
          std::pair {Qt::Key_Minus, 1.1}}) {
        press(key, Qt::ControlModifier);
        QTRY_COMPARE(page->zoomFactor(), factor);
    }
    QVERIFY(load(pageUrl));
    QTRY_COMPARE(page->zoomFactor(), 1.0);
    QVERIFY(load(orderUrl));
    QTRY_COMPARE(page->zoomFactor(), 1.1);
    press(Qt::Key_0, Qt::ControlModifier);
    QTRY_COMPARE(page->zoomFactor(), 1.0);
    QCOMPARE(ZoomLevels(m_env->preferences).factor(orderUrl.host()), 1.0);

    // Printing asks with the page's title and writes what was chosen.
    const QString pdf = m_env->dir.filePath(u"order.pdf"_s);
    QString askedFor;
    m_env->actions.setPrintQuestion([&](QPrinter &printer, QWidget *) {
        askedFor = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    press(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(askedFor, u"ご注文の確認"_s);
    QVERIFY(waitForEngine([&] { return QFile(pdf).size() > 0 && !m_env->actions.isPrinting(); }));
    // The page's own print button asks too, but a page asking in a loop
    // gets only its allowance of dialogs until its next load.
    int asked = 0;
    m_env->actions.setPrintQuestion([&](QPrinter &, QWidget *) { return ++asked, false; });
    runScript(u"for (let i = 0; i < 6; ++i) window.print()"_s);
    QTRY_COMPARE_ENGINE(asked, BrowserPageActions::pagePrintsPerLoad);
    QTest::qWait(500);
    QCOMPARE(asked, BrowserPageActions::pagePrintsPerLoad);
    QVERIFY(load(orderUrl));
    runScript(u"window.print()"_s);
    QTRY_COMPARE_ENGINE(asked, BrowserPageActions::pagePrintsPerLoad + 1);
    // A title never takes the proposed file out of its folder.
    QVERIFY(load(orderUrl));
    runScript(u"document.title = '../../etc/ご注文'"_s);
    QTRY_COMPARE_ENGINE(m_env->viewModel.pageTitle(), u"../../etc/ご注文"_s);
    m_env->actions.setPrintQuestion([&](QPrinter &printer, QWidget *) {
        askedFor = printer.docName();
        return false;
    });
    press(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(askedFor, u"_.._etc_ご注文"_s);

    // Esc stops a load that is still going on (what stopping keeps is the
    // window test's, through the toolbar's stop button).
    BrowserViewModel &vm = m_env->viewModel;
    vm.loadURL(slowPageUrl);
    QTRY_COMPARE_ENGINE(m_proxy->hits(slowImageUrl.host(), slowImageUrl.path()), 1);
    QVERIFY(vm.isLoading());
    m_env->webView()->setFocus();
    press(Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!vm.isLoading(), 5000);

    // F3 with the bar closed opens it on the last text.
    press(Qt::Key_F3);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->text(), u"macbookxyz"_s);

    // Under a warning find, zoom and print act on nothing; an open bar closes.
    vm.loadURL(scamUrl);
    QTRY_VERIFY(m_env->view.isShowingWarning());
    QVERIFY(!bar->isVisible());
    askedFor.clear();
    for (const Qt::Key key : {Qt::Key_F, Qt::Key_Plus, Qt::Key_P})
        press(key, Qt::ControlModifier);
    runScript(u"window.print()"_s);
    QTest::qWait(300);
    QVERIFY(!bar->isVisible());
    QCOMPARE(page->zoomFactor(), 1.0);
    QCOMPARE(askedFor, QString());
}

void TestBrowserView::hoveredLinkShowsWhereItLeads()
{
    // A link to a blocked site says so before it is clicked; a look-alike host
    // is named as it really is; Japanese in the path reads as words.
    const QString blocked = u" — 危険サイト・詐欺疑い"_s;
    for (const auto &[at, shown] :
         {std::pair {QPoint(20, 20), shopUrl.toString()},
          std::pair {QPoint(20, 70), scamUrl.toString() + blocked},
          std::pair {QPoint(20, 370), u"http://xn--rkuten-3nf.co.jp/セール"_s + blocked},
          std::pair {QPoint(600, 500), u"(hidden)"_s}}) {
        QTest::mouseMove(m_env->webView()->focusProxy(), at);
        const QLabel *status = m_env->view.linkStatus();
        QTRY_COMPARE_ENGINE(status->isVisible() ? status->text() : u"(hidden)"_s, shown);
    }
}

void TestBrowserView::crashOrEachBlockTakesThePagesPlace()
{
    BrowserView &view = m_env->view;
    const int hits = m_proxy->hits(pageUrl.host(), pageUrl.path());
    QVERIFY(::kill(m_env->webView()->page()->renderProcessPid(), SIGKILL) == 0);
    QTRY_VERIFY_ENGINE(view.crashedView()->isVisible());
    QVERIFY(!view.webView()->isVisible());

    QTest::mouseClick(view.crashedView()->findChild<QPushButton *>(), Qt::LeftButton);
    QTRY_VERIFY_ENGINE(view.webView()->isVisible() && !m_env->viewModel.isLoading()
                       && m_proxy->hits(pageUrl.host(), pageUrl.path()) == hits + 1);
    QVERIFY(view.crashedView()->isHidden());
    QCOMPARE(runScript(u"document.title"_s).toString(), u"page"_s);

    // A block takes the page's place too. Going back and proceeding through
    // the warning's buttons, and the reasons it shows, are tested on the whole
    // window (tst_contentview); the policy itself in tst_navigationpolicy.
    runScript(u"location.href = '%1'"_s.arg(scamUrl.toString()));
    QTRY_VERIFY_ENGINE(view.isShowingWarning());
    QCOMPARE(view.warningView()->blockedUrl(), scamUrl);

    // A script on the hidden page navigates elsewhere: screened too, and the
    // warning that is already up shows the new address.
    runScript(u"location.href = '%1'"_s.arg(otherScamUrl.toString()));
    QTRY_COMPARE_ENGINE(view.warningView()->blockedUrl(), otherScamUrl);
    QVERIFY(view.isShowingWarning());
    QCOMPARE(m_proxy->hits(otherScamUrl.host(), otherScamUrl.path()), 0);
}

QTEST_MAIN(TestBrowserView)
#include "tst_browserview.moc"
