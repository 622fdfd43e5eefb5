#include "ScreeningWebPage.h"

#include "browser/BrowserViewModel.h"
#include "browser/CertificateErrorModel.h"
#include "browser/JavaScriptDialogRelay.h"
#include "browser/PageActionTexts.h"
#include "browser/SubresourceScreen.h"

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
    // Every page is made here, in normal and private windows alike, so every
    // page's own requests are screened too.
    setUrlRequestInterceptor(new SubresourceScreen(viewModel, this));
    // The toolbar speaks of the address whose certificate is in question.
    connect(m_certificateErrors, &CertificateErrorModel::errorChanged, this, [this] {
        if (m_viewModel)
            m_viewModel->setCertificateWarningURL(
                m_certificateErrors->hasError() ? m_certificateErrors->url() : QUrl());
    });
    connect(m_certificateErrors, &CertificateErrorModel::accepted, this, [this](const QUrl &url) {
        if (m_viewModel)
            m_viewModel->noteCertificateAccepted(url);
    });
    m_closeWait.setSingleShot(true);
    m_closeWait.setInterval(closeAnswerTimeoutMs);
    connect(&m_closeWait, &QTimer::timeout, this, [this] {
        // The question before leaving waits for the user as long as they like.
        if (m_dialogRelay->isAsking()) {
            m_closeWait.start();
            return;
        }
        Q_EMIT closeUnanswered();
    });
    connect(this, &QWebEnginePage::windowCloseRequested, &m_closeWait, &QTimer::stop);
    connect(m_dialogRelay, &JavaScriptDialogRelay::stayedOnPage, &m_closeWait, &QTimer::stop);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // Downloads and permission requests are left to the engine, which
    // refuses them when nobody accepts them.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            &ScreeningWebPage::onNewWindowRequested);
    // A new page load gets its own pop-up allowance.
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        // Its error page is a page from an address too.
        if (m_waitsForAddress && !url().isEmpty() && url().scheme() != QLatin1String("about")) {
            m_waitsForAddress = false;
            Q_EMIT waitsForAddressChanged();
        }
        if (!ok)
            return;
        m_popupsWithoutGesture = 0;
        settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows,
                                 !m_openedWithoutGesture);
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

void ScreeningWebPage::requestClose()
{
    m_closeWait.start();
    triggerAction(RequestClose);
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
        if (m_openedWithoutGesture || ++m_popupsWithoutGesture > popupsWithoutGesturePerLoad)
            return;
        // The allowance is spent: the engine itself now refuses the page's
        // further windows without a gesture, before making a page for each
        // (which takes it half a second apiece).
        if (m_popupsWithoutGesture == popupsWithoutGesturePerLoad)
            settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    }
    // window.open() without an address starts on a blank page and is given
    // its address later, which the new tab's policy then judges.
    const QUrl url = request.requestedUrl();
    const bool blank = url.isEmpty() || url.scheme() == QLatin1String("about");
    if (!m_tabOpener || (!blank && !BrowserViewModel::mayOpenFromPage(url)))
        return;
    // Opened in the engine's own new page so that it keeps window.opener,
    // which sign-in and payment windows report back through.
    // A window nobody clicked for opens behind: it may not take the front
    // from the page the user is reading.
    QWebEnginePage *tab
        = m_tabOpener(request.destination() == QWebEngineNewWindowRequest::InNewBackgroundTab
                      || !request.isUserInitiated());
    if (!tab)
        return;
    if (auto *screening = qobject_cast<ScreeningWebPage *>(tab)) {
        screening->m_waitsForAddress = true;
        Q_EMIT screening->waitsForAddressChanged();
        if (!request.isUserInitiated()) {
            screening->m_openedWithoutGesture = true;
            screening->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows,
                                                false);
        }
    }
    request.openIn(tab);
}
