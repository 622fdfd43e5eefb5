// The view model's state rules without an engine: no page is attached (as
// when the pane's page is gone), so only the state and the policy's answers
// are seen. Navigation on the real engine is tst_navigationpolicy.

#include "browser/BrowserViewModel.h"
#include "browser/CautionNotice.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/CoreFixtures.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString topReason = u"悪質詐欺通販サイトで多発するTLD"_s;
const QUrl scamURL(u"http://super-cheap-brand-sale.top/deal"_s);
const QUrl shopURL(u"https://www.amazon.co.jp/dp/B0001"_s);
// QUrl refuses it; the engine opens it.
const QUrl unparsableURL(u"http://scam.top../order"_s);

} // namespace

class TestBrowserViewModel final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<Fixture>();
        m_store = &m_fixture->store;
        m_viewModel = &m_fixture->viewModel;
    }

    void suspiciousLoadRecordsBlockBeforeNotifying();
    void safeLoadOrTheRealShopClearsBlockAndJudgesFirst();
    void policyAnswersAtOnceAndBlocksLater_data();
    void policyAnswersAtOnceAndBlocksLater();
    void cautionShowsUntilClosedForThatPage();

private:
    struct Fixture : CoreRules
    {
        BrowserViewModel viewModel {store};
    };
    std::unique_ptr<Fixture> m_fixture;
    SecurityRuleStore *m_store = nullptr;
    BrowserViewModel *m_viewModel = nullptr;
};

void TestBrowserViewModel::suspiciousLoadRecordsBlockBeforeNotifying()
{
    const SafetyLevel verdict
        = SafetyLevel::suspicious({topReason, SafeBrowsingEngine::hyphenRuleReason()});

    // Whichever notice a view reacts to, the block is already complete.
    QList<int> heard;
    int index = 0;
    for (const auto signal :
         {&BrowserViewModel::isBlockedChanged, &BrowserViewModel::blockedReasonsChanged,
          &BrowserViewModel::pendingBlockedURLChanged, &BrowserViewModel::safetyLevelChanged})
        connect(m_viewModel, signal, this, [&, index = index++] {
            heard.append(index);
            QVERIFY(m_viewModel->isBlocked());
            QCOMPARE(m_viewModel->blockedReasons(), verdict.reasons());
            QCOMPARE(m_viewModel->pendingBlockedURL(), scamURL);
            QCOMPARE(m_viewModel->safetyLevel(), verdict);
        });

    m_viewModel->loadURL(scamURL);
    QCOMPARE(heard, QList<int>({0, 1, 2, 3}));
    QVERIFY(m_viewModel->currentURL().isEmpty());
}

void TestBrowserViewModel::safeLoadOrTheRealShopClearsBlockAndJudgesFirst()
{
    // Proceeding with nothing blocked does nothing.
    QSignalSpy blocked(m_viewModel, &BrowserViewModel::isBlockedChanged);
    m_viewModel->proceedAnyway();
    QCOMPARE(blocked.count(), 0);

    m_viewModel->loadURL(scamURL);
    QVERIFY(m_viewModel->isBlocked());

    m_viewModel->loadURL(shopURL);
    QVERIFY(!m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->safetyLevel().domain(),
             QString::fromUtf8(BrowserViewModel::newTabDomain));
    // The last block's details stay for the warning view.
    QCOMPARE(m_viewModel->pendingBlockedURL(), scamURL);
    QCOMPARE(m_viewModel->blockedReasons().size(), 2);

    // A rule added since a page was shown counts at its next load.
    const QUrl news(u"https://news.example.jp/"_s);
    m_viewModel->loadURL(news);
    QVERIFY(!m_viewModel->isBlocked());
    m_store->addCustomPattern(u"example.jp"_s, u"テスト用の理由"_s);
    m_viewModel->loadURL(news);
    QVERIFY(m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->blockedReasons(), {u"テスト用の理由"_s});

    // A look-alike's block offers the real shop, which is a safe load too.
    QSignalSpy suggestion(m_viewModel, &BrowserViewModel::blockedSuggestionChanged);
    m_viewModel->loadURL(QUrl(u"http://rakuten.co.jp.evil.cn/login"_s));
    QVERIFY(m_viewModel->isBlocked());
    QCOMPARE(suggestion.count(), 1);
    QCOMPARE(m_viewModel->blockedSuggestion(),
             (SafetyLevel::Suggestion {u"楽天市場"_s, u"rakuten.co.jp"_s}));

    m_viewModel->openSuggestion();
    QVERIFY(!m_viewModel->isBlocked());

    // A block without a look-alike has nothing to suggest.
    m_viewModel->loadURL(scamURL);
    QVERIFY(m_viewModel->blockedSuggestion().isEmpty());
    m_viewModel->openSuggestion();
    QVERIFY(m_viewModel->isBlocked());
}

void TestBrowserViewModel::policyAnswersAtOnceAndBlocksLater_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<bool>("isMainFrame");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("blocked");

    QTest::newRow("certified shop") << shopURL << true << true << false;
    QTest::newRow("blank page") << QUrl(u"about:blank"_s) << true << true << false;
    QTest::newRow("other about page") << QUrl(u"about:srcdoc"_s) << true << false << false;
    QTest::newRow("about frame") << QUrl(u"about:srcdoc"_s) << false << true << false;
    QTest::newRow("local file") << QUrl(u"file:///home/user/receipt.html"_s) << true << true
                                << false;
    QTest::newRow("suspicious main frame") << scamURL << true << false << true;
    QTest::newRow("suspicious sub-frame")
        << QUrl(u"http://ads.example.xyz/frame"_s) << false << false << true;
    // A top-level data: document has no site to judge; the engine refuses it
    // to scripts, and so does the policy to everyone. In a frame it lives
    // under its page's verdict.
    QTest::newRow("data document")
        << QUrl(u"data:text/html,<h1>sale</h1>"_s) << true << false << false;
    QTest::newRow("data frame") << QUrl(u"data:text/html,<h1>ad</h1>"_s) << false << true << false;
    // Judged by the host the engine uses, or failing that as unjudgeable.
    QTest::newRow("address QUrl refused") << unparsableURL << true << false << true;
    // Judged by the origin it wraps.
    QTest::newRow("blob of a suspicious site")
        << QUrl(u"blob:http://super-cheap-brand-sale.top/0b1c"_s) << true << false << true;
}

void TestBrowserViewModel::policyAnswersAtOnceAndBlocksLater()
{
    QFETCH(QUrl, url);
    QFETCH(bool, isMainFrame);
    QFETCH(bool, allowed);
    QFETCH(bool, blocked);

    m_viewModel->loadURL(shopURL);
    const SafetyLevel before = m_viewModel->safetyLevel();

    QCOMPARE(m_viewModel->decidePolicy(url, QWebEnginePage::NavigationTypeLinkClicked, isMainFrame),
             allowed);
    // Nothing is written while the engine waits for the answer.
    QVERIFY(!m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->safetyLevel(), before);

    // The block arrives on the next turn of the event loop.
    QCoreApplication::processEvents();
    QCOMPARE(m_viewModel->isBlocked(), blocked);
    if (!blocked) {
        QCOMPARE(m_viewModel->safetyLevel(), before);
        return;
    }
    QCOMPARE(m_viewModel->pendingBlockedURL(), url);
    QCOMPARE(m_viewModel->safetyLevel(), SafeBrowsingEngine().evaluateSafety(url, *m_store));
    QCOMPARE(m_viewModel->blockedReasons(), m_viewModel->safetyLevel().reasons());
    QVERIFY(!m_viewModel->blockedReasons().isEmpty());
    // An address QUrl refused cannot be handed back to the engine.
    QCOMPARE(m_viewModel->canProceedAnyway(), url.isValid());
}

void TestBrowserViewModel::cautionShowsUntilClosedForThatPage()
{
    const SafetyLevel caution = SafetyLevel::caution({u"公認ショップではありません"_s});
    const QUrl page(u"https://qzxv-shop.com/item/1"_s);
    const QUrl reviews(u"https://qzxv-shop.com/item/1#reviews"_s);
    CautionNotice notice;
    QCOMPARE(notice.reasons(caution, page), caution.reasons());
    QVERIFY(notice.reasons(SafetyLevel::neutral(u"qzxv-shop.com"_s), page).isEmpty());

    // Closed for the page, also when moving within it; another page, and a
    // new visit, bring it back.
    notice.dismiss(page);
    notice.pageShown(reviews);
    QVERIFY(notice.reasons(caution, reviews).isEmpty());
    notice.pageShown(QUrl(u"https://qzxv-shop.com/item/2"_s));
    notice.pageShown(page);
    QCOMPARE(notice.reasons(caution, page), caution.reasons());
}

QTEST_GUILESS_MAIN(TestBrowserViewModel)
#include "tst_browserviewmodel.moc"
