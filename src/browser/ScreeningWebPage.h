#pragma once

#include <QPointer>
#include <QWebEnginePage>

class BrowserViewModel;
class CertificateErrorModel;
class JavaScriptDialogRelay;
class QWebEngineNewWindowRequest;
class QWebEngineProfile;

// The browser pane's page: every navigation the engine proposes, in the main
// frame and in sub-frames, is put to the view model's policy, and windows a
// page asks for open in this same page, screened like any other navigation.
class ScreeningWebPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    // New windows a page may open without a user gesture per page load;
    // beyond these they are dropped, so a page cannot flood the browser.
    static constexpr int popupsWithoutGesturePerLoad = 3;

    // A null profile means the engine's default profile.
    ScreeningWebPage(BrowserViewModel &viewModel, QWebEngineProfile *profile, QObject *parent);

    // Where the view that shows this page finds the page's dialogs and its
    // certificate errors; both belong to the page.
    JavaScriptDialogRelay &dialogRelay() const { return *m_dialogRelay; }
    CertificateErrorModel &certificateErrors() const { return *m_certificateErrors; }

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
    void openCaughtWindow(const QUrl &url);

    QPointer<BrowserViewModel> m_viewModel;
    int m_popupsWithoutGesture = 0;
    JavaScriptDialogRelay *m_dialogRelay;
    CertificateErrorModel *m_certificateErrors;
};
