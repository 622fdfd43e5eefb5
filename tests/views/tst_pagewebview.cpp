#include "views/browser/PageWebView.h"

#include "browser/BrowserViewModel.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/EngineWait.h"
#include "support/TestProxyServer.h"
#include "support/TestStores.h"
#include "views/browser/BrowserView.h"
#include "views/browser/JavaScriptDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int engineTimeout = 30000;

const QUrl pageUrl(u"http://blog.example.com/page"_s);
const QUrl otherUrl(u"http://blog.example.com/other"_s);
const QUrl shopUrl(u"http://shop.example.com/item"_s);
const QUrl scamUrl(u"http://cheap-brand-outlet.top/"_s);
const QString alertHeading = u"blog.example.com の表示内容"_s;

// Everything where a right-click can find it.
const QByteArray page
    = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>page</title><style>"
      "body { margin: 0 } a, p, input { position: absolute; left: 10px; font: 20px sans-serif }"
      "</style></head><body>"
      "<a id=\"shop\" href=\"http://shop.example.com/item\" style=\"top: 10px\">shop</a>"
      "<a id=\"scam\" href=\"http://cheap-brand-outlet.top/\" style=\"top: 60px\">scam</a>"
      "<a id=\"script\" href=\"javascript:void 0\" style=\"top: 110px\">script</a>"
      "<p id=\"long\" style=\"top: 210px; margin: 0\">abcdefghijklmnopqrstuvwxyz0123456789</p>"
      "<input id=\"field\" value=\"財布\" style=\"top: 260px\">"
      "</body></html>";

struct Fixture : TestStores
{
    BrowserViewModel viewModel {ruleStore};
    BrowserView view {viewModel, ruleStore, themeManager, *QWebEngineProfile::defaultProfile()};
    PageWebView *webView() { return qobject_cast<PageWebView *>(view.webView()); }
};

} // namespace

class TestPageWebView : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup() { m_env.reset(); }

    void menuOffersWhatWorks_data();
    void menuOffersWhatWorks();
    void pageDialogsAreTheBrowsersOwn_data();
    void pageDialogsAreTheBrowsersOwn();
    void leavingAKeptPageAsksFirst();

private:
    QVariant runScript(const QString &script);
    QMenu *openMenuAt(const QPoint &position, const QString &selectScript);
    // Answers every page dialog from inside its own event loop, noting what
    // each one showed, and takes the silence it offers.
    void answerDialog();

    TestProxyServer *m_proxy = nullptr;
    std::unique_ptr<Fixture> m_env;
    QTimer m_answerer;
    bool m_accept = true;
    QStringList m_dialogs;
};

void TestPageWebView::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(pageUrl.host(), pageUrl.path(), page);
    connect(&m_answerer, &QTimer::timeout, this, &TestPageWebView::answerDialog);
    m_answerer.start(20);
}

void TestPageWebView::init()
{
    m_env = std::make_unique<Fixture>();
    m_env->view.resize(800, 600);
    m_env->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_env->view));
    m_env->viewModel.loadURL(pageUrl);
    QVERIFY(waitForEngine(
        [this] { return m_env->webView()->title() == u"page"_s && !m_env->viewModel.isLoading(); },
        engineTimeout));
    m_accept = true;
    m_dialogs.clear();
}

QVariant TestPageWebView::runScript(const QString &script)
{
    QVariant result;
    bool done = false;
    m_env->webView()->page()->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    waitForEngine([&done] { return done; }, engineTimeout);
    return result;
}

QMenu *TestPageWebView::openMenuAt(const QPoint &position, const QString &selectScript)
{
    if (!selectScript.isEmpty())
        runScript(selectScript);
    PageWebView *webView = m_env->webView();
    QWidget *target = webView->focusProxy();
    QTest::mousePress(target, Qt::RightButton, {}, position);
    QTest::mouseRelease(target, Qt::RightButton, {}, position);
    waitForEngine([webView] { return webView->contextMenu() != nullptr; }, engineTimeout);
    return webView->contextMenu();
}

void TestPageWebView::answerDialog()
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

void TestPageWebView::menuOffersWhatWorks_data()
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
    QTest::newRow("page") << QPoint(600, 500) << QString() << pageTexts << QString() << QUrl();
    QTest::newRow("script link is no link")
        << QPoint(20, 120) << QString() << pageTexts << QString() << QUrl();
    QTest::newRow("long selection")
        << QPoint(20, 220) << selectText.arg(u"long"_s)
        << QStringList {u"コピー"_s, u"「abcdefghijklmnopqrst…」を検索"_s} << QString() << QUrl();
    QTest::newRow("text field") << QPoint(20, 270)
                                << u"document.getElementById('field').select();"_s
                                << QStringList {u"切り取り"_s, u"コピー"_s, u"貼り付け"_s,
                                                u"すべて選択"_s, u"「財布」を検索"_s}
                                << u"searchSelectionAction"_s << search;
}

void TestPageWebView::menuOffersWhatWorks()
{
    QFETCH(QPoint, position);
    QFETCH(QString, selectScript);
    QFETCH(QStringList, texts);
    QFETCH(QString, action);
    QFETCH(QUrl, url);
    QUrl downloaded;
    const QObject downloadWatch;
    connect(m_env->webView()->page()->profile(), &QWebEngineProfile::downloadRequested,
            &downloadWatch,
            [&downloaded](QWebEngineDownloadRequest *request) { downloaded = request->url(); });
    QMenu *menu = openMenuAt(position, selectScript);
    QVERIFY(menu);
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

    const BrowserViewModel &viewModel = m_env->viewModel;
    if (action == u"openInNewTabAction"_s) {
        // The window opens it in a tab of its own, which screens it.
        QCOMPARE(newTab.size(), 1);
        QCOMPARE(newTab.first().first().toUrl(), url);
        QVERIFY(!m_env->view.isShowingWarning());
    } else if (url == scamUrl) {
        QVERIFY(waitForEngine([this] { return m_env->view.isShowingWarning(); }, engineTimeout));
        QCOMPARE(m_proxy->hits(scamUrl.host(), scamUrl.path()), 0);
        QVERIFY(downloaded.isEmpty());
    } else if (action == u"saveLinkAction"_s) {
        QVERIFY(waitForEngine([&] { return downloaded == url; }, engineTimeout));
    } else {
        QVERIFY(waitForEngine([&] { return viewModel.currentURL() == url; }, engineTimeout));
    }
}

void TestPageWebView::pageDialogsAreTheBrowsersOwn_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("result");

    const QString silence = u"|"_s + QString::fromUtf8(JavaScriptDialog::silenceText);
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

void TestPageWebView::pageDialogsAreTheBrowsersOwn()
{
    QFETCH(QString, script);
    QFETCH(bool, accept);
    QFETCH(QStringList, shown);
    QFETCH(QString, result);
    m_accept = accept;
    QCOMPARE(runScript(script).toString(), result);
    QCOMPARE(m_dialogs, shown);

    // Silence lasts until the page's next load.
    m_env->viewModel.reload();
    QVERIFY(waitForEngine([this] { return !m_env->viewModel.isLoading(); }, engineTimeout));
    runScript(u"alert('ウイルスに感染しています')"_s);
    QCOMPARE(m_dialogs.size(), shown.size() + 1);
}

void TestPageWebView::leavingAKeptPageAsksFirst()
{
    // The engine asks only for a page the user has interacted with.
    PageWebView *webView = m_env->webView();
    runScript(u"addEventListener('beforeunload', e => { e.returnValue = 'x'; }); 1"_s);
    // A click can land before the page takes input; click until it counts.
    QVERIFY(waitForEngine(
        [this, webView] {
            QTest::mouseClick(webView->focusProxy(), Qt::LeftButton, {}, QPoint(600, 500));
            return runScript(u"navigator.userActivation.hasBeenActive"_s).toBool();
        },
        engineTimeout));

    for (const bool leave : {false, true}) {
        m_accept = leave;
        m_env->viewModel.loadURL(otherUrl);
        QVERIFY(waitForEngine([this, leave] { return m_dialogs.size() == (leave ? 2 : 1); },
                              engineTimeout));
        QVERIFY(waitForEngine(
            [webView, leave] { return webView->url() == (leave ? otherUrl : pageUrl); },
            engineTimeout));
        // Staying leaves no load behind.
        QTest::qWait(300);
        QVERIFY(!m_env->viewModel.isLoading());
    }
    const QString question
        = u"このページから移動しますか？|入力した内容は保存されない可能性があります。|移動|キャンセル"_s;
    QCOMPARE(m_dialogs,
             (QStringList {question,
                           question + u"|"_s + QString::fromUtf8(JavaScriptDialog::silenceText)}));
}

QTEST_MAIN(TestPageWebView)
#include "tst_pagewebview.moc"
