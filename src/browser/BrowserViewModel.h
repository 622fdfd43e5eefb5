#pragma once

#include "browser/CautionNotice.h"
#include "browser/IdleLoadWatchdog.h"
#include "browser/RequestTimeouts.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/SafetyLevel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>

#include <memory>
#include <optional>
#include <utility>

class RuleSet;
class SecurityRuleStore;

// The browsing state and commands of one tab. As the navigation policy of its
// attached web view it screens every navigation the engine proposes, those it
// asked for itself included; the verdict shown for a page is the one the
// policy reached for it. An empty QUrl stands for "no address".
class BrowserViewModel final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QUrl currentURL READ currentURL NOTIFY currentURLChanged)
    Q_PROPERTY(QString urlInputString READ urlInputString NOTIFY urlInputStringChanged)
    Q_PROPERTY(QString pageTitle READ pageTitle NOTIFY pageTitleChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(double estimatedProgress READ estimatedProgress NOTIFY estimatedProgressChanged)
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY canGoBackChanged)
    Q_PROPERTY(bool canGoForward READ canGoForward NOTIFY canGoForwardChanged)
    Q_PROPERTY(SafetyLevel safetyLevel READ safetyLevel NOTIFY safetyLevelChanged)
    Q_PROPERTY(bool isBlocked READ isBlocked NOTIFY isBlockedChanged)
    Q_PROPERTY(QStringList blockedReasons READ blockedReasons NOTIFY blockedReasonsChanged)
    Q_PROPERTY(QUrl pendingBlockedURL READ pendingBlockedURL NOTIFY pendingBlockedURLChanged)
    Q_PROPERTY(SafetyLevel::Suggestion blockedSuggestion READ blockedSuggestion NOTIFY
                   blockedSuggestionChanged)
    Q_PROPERTY(bool canProceedAnyway READ canProceedAnyway NOTIFY canProceedAnywayChanged)
    Q_PROPERTY(bool isProceeded READ isProceeded NOTIFY isProceededChanged)
    Q_PROPERTY(
        bool isConnectionUntrusted READ isConnectionUntrusted NOTIFY certificateProblemChanged)
    Q_PROPERTY(QStringList cautionReasons READ cautionReasons NOTIFY cautionReasonsChanged)

public:
    static constexpr auto newTabDomain = "新規タブ";
    // What the badge names for a page from the user's own disk.
    static constexpr auto localFileDomain = "ローカルファイル";
    // The engine's neutral verdict for an address in which it found no site.
    static constexpr auto unknownDomain = "不明";

    // Judges with the store's current rule snapshot; the store is not owned
    // and outlives every window.
    explicit BrowserViewModel(const SecurityRuleStore &rules, QObject *parent = nullptr);
    ~BrowserViewModel() override;

    QUrl currentURL() const { return m_currentURL; }
    QString urlInputString() const { return m_urlInputString; }
    QString pageTitle() const { return m_pageTitle; }
    // A load held at a certificate warning waits for the user, not the
    // network: the tab does not spin meanwhile.
    bool isLoading() const { return m_engineLoading && m_certificateWarningURL.isEmpty(); }
    double estimatedProgress() const { return m_estimatedProgress; }
    bool canGoBack() const { return m_canGoBack; }
    bool canGoForward() const { return m_canGoForward; }
    SafetyLevel safetyLevel() const { return m_safetyLevel; }
    bool isBlocked() const { return m_isBlocked; }
    QStringList blockedReasons() const { return m_blockedReasons; }
    QUrl pendingBlockedURL() const { return m_pendingBlockedURL; }
    // The address the tab shows: while a warning is up the stopped one, not
    // the page's behind it. What a closed or saved tab brings back.
    QUrl shownURL() const
    {
        if (m_isBlocked)
            return m_pendingBlockedURL;
        return m_certificateWarningURL.isEmpty() ? m_currentURL : m_certificateWarningURL;
    }
    // The shown address's certificate is not trusted: its warning is up, or
    // the user went past it for that host.
    bool isConnectionUntrusted() const;
    // From the page: the address whose certificate warning is up (empty
    // when none is), and the host the user accepted a bad certificate for.
    void setCertificateWarningURL(const QUrl &url);
    void noteCertificateAccepted(const QUrl &url);
    // The tab's and the window's title: the page's own, or while a safety or
    // certificate warning is up the host it stopped, never the title of the
    // page behind the warning. A stopped look-alike host is named in ASCII,
    // as "xn--rkuten-3nf.co.jp". Changes with pageTitle, isBlocked,
    // pendingBlockedURL and certificateProblem.
    QString shownTitle() const;
    // The real shop a look-alike block points to ("did you mean"); empty when
    // the last block has none. Written together with blockedReasons.
    SafetyLevel::Suggestion blockedSuggestion() const { return m_blockedSuggestion; }
    // False when the blocked address is one QUrl refused: the engine cannot
    // be handed it again, so there is nothing to proceed to.
    bool canProceedAnyway() const { return m_canProceedAnyway; }
    // A page judged suspicious is on screen without a warning: the user went
    // past one.
    bool isProceeded() const { return m_isProceeded; }
    // The reasons of the shown page's caution verdict, for the bar above the
    // page; empty when the verdict is not caution or the user dismissed the
    // bar for this page.
    QStringList cautionReasons() const { return m_cautionReasons; }

    // The web view is held weakly.
    QWebEnginePage *webView() const { return m_webView.data(); }

    // Replaces any earlier page, whose signals stop reaching this model. The
    // page is normally a ScreeningWebPage from WebViewHost, which puts its
    // navigations to decidePolicy; a null page leaves the state and the
    // judging working while every page operation is skipped. The last load
    // asked for before the first page came starts on that page: a window
    // shows before the engine has started.
    void attachWebView(QWebEnginePage *webView);

    // Hands the address to the page, whose policy judges it. Without a page
    // yet, or for an address the engine cannot be handed, nobody else would
    // ask the policy, so it is asked here.
    void loadURL(const QUrl &url);
    // The page's back and forward list, for a tab duplicated or reopened;
    // empty when there is no page. Restoring one loads its current entry,
    // judged by the policy as any navigation; false when there is no page
    // or the data is not such a list.
    QByteArray savedHistory() const;
    bool restoreHistory(const QByteArray &saved);
    void goBack();
    void goForward();
    // bypassCache: every part of the page is fetched anew (Shift+F5).
    void reload(bool bypassCache = false);
    // Ends the page load under way; what has arrived stays shown.
    void stop();
    void proceedAnyway();
    // Opens https://<domain>/ of blockedSuggestion(), judged like any load.
    void openSuggestion();
    // Hides the caution bar until another page is shown.
    void dismissCaution();
    // Whether a page may have the browser open this address in a new tab:
    // only what a page may open in its own top frame. The engine refuses
    // scripts a top-level data: document or a local file, and so does this.
    static bool mayOpenFromPage(const QUrl &url);
    // What the policy would say of an address, without going there: for the
    // link under the pointer.
    SafetyLevel verdictFor(const QUrl &url) const { return judge(url); }
    // The site an address belongs to: its registrable domain
    // ("shop.scam.top" -> "scam.top"), or the host itself where there is none
    // (an IP address). A blob: or filesystem: address belongs to the site of
    // the origin it wraps. Empty when no site can be named.
    static QString siteOf(const QUrl &url);
    // The user went past a warning for this address's site, and the page
    // load they chose is the one under way or shown.
    bool isLetThrough(const QUrl &url) const;

    // The navigation policy: answers at once whether the engine may go on;
    // a block is published on the next turn of the event loop, as is the
    // lifting of a warning by a load this model asked for, whose own verdict
    // waits for its page. Every address the engine proposes
    // comes here, also those QUrl refused (invalid ones).
    bool decidePolicy(const QUrl &url, QWebEnginePage::NavigationType type, bool isMainFrame);

    // How long a load this view model starts may go without progress before
    // it is stopped.
    RequestTimeouts requestTimeouts() const { return m_requestTimeouts; }
    void setRequestTimeouts(const RequestTimeouts &timeouts) { m_requestTimeouts = timeouts; }

Q_SIGNALS:
    void currentURLChanged();
    void urlInputStringChanged();
    void pageTitleChanged();
    void isLoadingChanged();
    void estimatedProgressChanged();
    void canGoBackChanged();
    void canGoForwardChanged();
    void safetyLevelChanged();
    void isBlockedChanged();
    void blockedReasonsChanged();
    void pendingBlockedURLChanged();
    void blockedSuggestionChanged();
    void canProceedAnywayChanged();
    void isProceededChanged();
    void certificateProblemChanged();
    void cautionReasonsChanged();
    // The attached page's icon.
    void pageIconChanged();
    // Back from a warning with no page before it (a tab opened straight
    // onto a blocked address): the tab has nothing left to show.
    void backLeadsNowhere();

private:
    // The one-shot pass proceedAnyway gives: the chosen address once, then,
    // for that page load, its own redirects and sub-frames within its site.
    struct ProceedPass
    {
        QUrl address;
        QString site;
        bool arrived = false;
    };
    // What the policy makes of one navigation: no verdict where the proceed
    // pass let it through unjudged; block when the user is to be warned.
    struct Decision
    {
        bool allowed = false;
        std::optional<SafetyLevel> verdict;
        bool block = false;
    };

    Decision decide(const QUrl &url, QWebEnginePage::NavigationType type, bool isMainFrame);
    SafetyLevel judge(const QUrl &url) const;
    bool passCovers(const QUrl &url, QWebEnginePage::NavigationType type, bool isMainFrame);
    void keepVerdict(const QUrl &url, const SafetyLevel &verdict);
    SafetyLevel verdictOfShown(const QUrl &url) const;
    void startLoad(const QUrl &url, std::chrono::milliseconds idleLimit);
    void publishVerdict(const SafetyLevel &level, const std::optional<QUrl> &blockedURL = {});
    // The address of the page shown. A new window is named after the
    // address it was opened to before anything came from there (its opener
    // may write into its blank document meanwhile), and nothing may ever
    // come: a download, no content, a stop.
    QUrl engineURL() const;
    void showShownPageAgain();
    void updateDerived();
    void refreshURL();
    void refreshTitle();
    void refreshHistoryFlags();
    void onLoadStarted();
    void onLoadProgress(int progress);
    void onLoadFinished();

    void setCurrentURL(const QUrl &url);
    void setUrlInputString(const QString &text);
    void setPageTitle(const QString &title);
    void setEngineLoading(bool loading);
    void setEstimatedProgress(double progress);
    void setCanGoBack(bool canGoBack);
    void setCanGoForward(bool canGoForward);

    QUrl m_currentURL;
    QString m_urlInputString;
    QString m_pageTitle;
    bool m_engineLoading = false;
    double m_estimatedProgress = 0.0;
    bool m_canGoBack = false;
    bool m_canGoForward = false;
    SafetyLevel m_safetyLevel = SafetyLevel::neutral(QString::fromUtf8(newTabDomain));
    bool m_isBlocked = false;
    QStringList m_blockedReasons;
    QUrl m_pendingBlockedURL;
    QPointer<QWebEnginePage> m_webView;
    struct DeferredLoad
    {
        QUrl url;
        std::chrono::milliseconds idleLimit;
    };
    std::optional<DeferredLoad> m_deferredLoad;
    // The verdicts the policy reached for the last main-frame navigations,
    // oldest first, for the page that commits; dropped when the rules change.
    QList<std::pair<QString, SafetyLevel>> m_keptVerdicts;
    std::shared_ptr<const RuleSet> m_rules;

    const SafeBrowsingEngine m_safety {};
    SafetyLevel::Suggestion m_blockedSuggestion;
    bool m_canProceedAnyway = false;
    bool m_isProceeded = false;
    QUrl m_certificateWarningURL;
    QString m_untrustedHost;
    QStringList m_cautionReasons;
    CautionNotice m_cautionNotice;

    std::optional<ProceedPass> m_proceedPass;
    RequestTimeouts m_requestTimeouts;
    IdleLoadWatchdog m_idleWatchdog;
};
