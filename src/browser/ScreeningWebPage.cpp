#include "ScreeningWebPage.h"

#include "browser/BrowserViewModel.h"
#include "browser/CertificateErrorModel.h"
#include "browser/JavaScriptDialogRelay.h"
#include "browser/PageActionTexts.h"
#include "browser/PopupCatcherPage.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

QWebEngineProfile *profileOrDefault(QWebEngineProfile *profile)
{
    return profile ? profile : QWebEngineProfile::defaultProfile();
}

} // namespace

ScreeningWebPage::ScreeningWebPage(BrowserViewModel &viewModel, QWebEngineProfile *profile,
                                   QObject *parent)
    : QWebEnginePage(profileOrDefault(profile), parent)
    , m_viewModel(&viewModel)
    , m_dialogRelay(new JavaScriptDialogRelay(*this))
    , m_certificateErrors(new CertificateErrorModel(*this))
{
    PageActionTexts::apply(*this);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // Downloads and permission requests are left to the engine, which
    // refuses them when nobody accepts them.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            &ScreeningWebPage::onNewWindowRequested);
    // A new page load gets its own pop-up allowance; windows still waiting
    // for an address belong to the page that is going.
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (!ok)
            return;
        m_popupsWithoutGesture = 0;
        settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    });
    connect(this, &QWebEnginePage::loadStarted, this, [this] {
        for (PopupCatcherPage *catcher :
             findChildren<PopupCatcherPage *>(Qt::FindDirectChildrenOnly))
            catcher->deleteLater();
    });
}

bool ScreeningWebPage::isShown() const
{
    return m_viewModel && m_viewModel->webView() == this;
}

bool ScreeningWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                               bool isMainFrame)
{
    // A page the view model no longer shows (the pane was rebuilt) or whose
    // view model is gone has nobody to warn, so it may not go anywhere.
    if (!isShown())
        return false;
    const bool accepted = m_viewModel->decidePolicy(url, type, isMainFrame);
    if (accepted && isMainFrame)
        m_certificateErrors->noteMainFrameNavigation(url);
    return accepted;
}

QWebEnginePage *ScreeningWebPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    return nullptr;
}

void ScreeningWebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    m_dialogRelay->alert(securityOrigin, msg);
}

bool ScreeningWebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return m_dialogRelay->confirm(securityOrigin, msg);
}

bool ScreeningWebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                                        const QString &defaultValue, QString *result)
{
    return m_dialogRelay->prompt(securityOrigin, msg, defaultValue, result);
}

void ScreeningWebPage::onNewWindowRequested(QWebEngineNewWindowRequest &request)
{
    // Not opening the request releases the engine's new page at once.
    if (!isShown())
        return;
    if (!request.isUserInitiated()) {
        if (++m_popupsWithoutGesture > popupsWithoutGesturePerLoad)
            return;
        // The allowance is spent: the engine itself now refuses the page's
        // further windows without a gesture, before making a page for each
        // (which takes it half a second apiece).
        if (m_popupsWithoutGesture == popupsWithoutGesturePerLoad)
            settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    }
    const QUrl url = request.requestedUrl();
    // window.open() without an address starts on a blank page and is given
    // its address later: a catcher waits for it.
    if (url.isEmpty() || url.scheme() == QLatin1String("about")) {
        auto *catcher = new PopupCatcherPage(profile(), this);
        // Queued: the catcher's navigation callback answers first, and the
        // pane opens the address on the next turn of the event loop.
        connect(catcher, &PopupCatcherPage::navigationCaught, this,
                &ScreeningWebPage::openCaughtWindow, Qt::QueuedConnection);
        request.openIn(catcher);
        return;
    }
    // The engine is still inside its new-window callback; load afterwards.
    QMetaObject::invokeMethod(
        this, [this, url] { openCaughtWindow(url); }, Qt::QueuedConnection);
}

void ScreeningWebPage::openCaughtWindow(const QUrl &url)
{
    if (isShown())
        m_viewModel->openPopup(url);
}
