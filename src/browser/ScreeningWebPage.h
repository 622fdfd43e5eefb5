#pragma once

#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

#include <functional>

class BrowserViewModel;
class CertificateErrorModel;
class JavaScriptDialogRelay;
class QWebEngineNewWindowRequest;
class QWebEngineProfile;

// A tab's page: every navigation the engine proposes, in the main frame and
// in sub-frames, is put to the view model's policy, and what the page fetches
// by itself is kept off suspicious hosts (SubresourceScreen). Windows the
// page asks for open as new tabs whose pages keep their opener; their
// navigations go to the new tab's own policy.
class ScreeningWebPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    // New windows a page may open without a user gesture per page load;
    // beyond these they are dropped, so a page cannot flood the browser.
    // A window opened that way gets none: pages that open copies of
    // themselves would multiply otherwise.
    static constexpr int popupsWithoutGesturePerLoad = 3;

    // Makes a new tab, in the foreground or behind the current one, and
    // gives its page; null when no tab can be opened.
    using TabOpener = std::function<QWebEnginePage *(bool background)>;

    // A null profile means the engine's default profile.
    ScreeningWebPage(BrowserViewModel &viewModel, QWebEngineProfile *profile, QObject *parent);

    // Without one, windows the page asks for are not opened.
    void setTabOpener(TabOpener opener) { m_tabOpener = std::move(opener); }

    // A window a script opened shows nothing until a page from an address
    // has loaded in it: the engine (Qt 6.4) crashes when it draws the blank
    // first document the opener wrote into.
    bool waitsForAddress() const { return m_waitsForAddress; }

    // Closing a tab asks its page first, so that a page holding the user's
    // input can ask them (beforeunload); the engine answers with
    // windowCloseRequested, or with nothing when the user stays. A page that
    // gives no answer in time, with no question up, is let go with
    // closeUnanswered: a stuck page must not keep its tab open.
    static constexpr int closeAnswerTimeoutMs = 2000;
    void requestClose();

    // Where the view that shows this page finds the page's dialogs and its
    // certificate errors; both belong to the page.
    JavaScriptDialogRelay &dialogRelay() const { return *m_dialogRelay; }
    CertificateErrorModel &certificateErrors() const { return *m_certificateErrors; }

Q_SIGNALS:
    void waitsForAddressChanged();
    void closeUnanswered();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    // Always null: new windows are handled in onNewWindowRequested, which the
    // engine calls when no page is given here, and which knows the address
    // and whether the user asked for the window.
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;

private:
    bool isShown() const;
    void onNewWindowRequested(QWebEngineNewWindowRequest &request);

    QPointer<BrowserViewModel> m_viewModel;
    TabOpener m_tabOpener;
    int m_popupsWithoutGesture = 0;
    bool m_openedWithoutGesture = false;
    bool m_waitsForAddress = false;
    JavaScriptDialogRelay *m_dialogRelay;
    CertificateErrorModel *m_certificateErrors;
    QTimer m_closeWait;
};
