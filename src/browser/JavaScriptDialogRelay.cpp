#include "browser/JavaScriptDialogRelay.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWebEnginePage>

namespace {

// The engine's own question before unloading a page, passed to confirm().
constexpr auto engineLeavePageText
    = "Are you sure you want to leave this page? Changes that you made may not be saved.";

bool isLeavePageQuestion(const QString &message)
{
    return message == QLatin1String(engineLeavePageText)
        || message == QCoreApplication::translate("QWebEnginePage", engineLeavePageText);
}

JavaScriptDialogRequest makeRequest(JavaScriptDialogRequest::Kind kind, const QUrl &origin,
                                    const QString &message, const QString &defaultText = QString())
{
    JavaScriptDialogRequest request;
    request.kind = kind;
    request.origin = origin;
    request.message = message;
    request.defaultText = defaultText;
    return request;
}

} // namespace

JavaScriptDialogRelay::JavaScriptDialogRelay(QWebEnginePage &page)
    : QObject(&page)
{
    // Silence lasts for the site the user silenced, not for the next one.
    // A reload keeps it, or a page that alerts and reloads itself would
    // never offer it and hold the window for ever.
    connect(&page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (url.host() == m_site)
            return;
        m_site = url.host();
        m_suppressed = false;
        m_shownOnSite = 0;
    });
}

JavaScriptDialogRequest JavaScriptDialogRelay::ask(JavaScriptDialogRequest request)
{
    if (m_suppressed)
        return request;
    request.repeated = m_shownOnSite++ > 0;
    // The dialog runs its own event loop, in which the page and this relay
    // may be closed.
    const QPointer<JavaScriptDialogRelay> self(this);
    ++m_asking;
    Q_EMIT dialogRequested(request);
    if (!self)
        return request;
    --m_asking;
    if (request.suppressFurther)
        m_suppressed = true;
    if (request.kind == JavaScriptDialogRequest::Kind::leavePage && !request.accepted)
        Q_EMIT stayedOnPage();
    return request;
}

void JavaScriptDialogRelay::alert(const QUrl &origin, const QString &message)
{
    ask(makeRequest(JavaScriptDialogRequest::Kind::alert, origin, message));
}

bool JavaScriptDialogRelay::confirm(const QUrl &origin, const QString &message)
{
    if (isLeavePageQuestion(message)) {
        // Nobody to ask, or a page the user silenced, must not keep the user
        // from leaving it.
        JavaScriptDialogRequest request = makeRequest(JavaScriptDialogRequest::Kind::leavePage,
                                                      origin, QString::fromUtf8(leavePageMessage));
        request.accepted = true;
        return ask(request).accepted;
    }
    return ask(makeRequest(JavaScriptDialogRequest::Kind::confirm, origin, message)).accepted;
}

bool JavaScriptDialogRelay::prompt(const QUrl &origin, const QString &message,
                                   const QString &defaultText, QString *result)
{
    const JavaScriptDialogRequest answer
        = ask(makeRequest(JavaScriptDialogRequest::Kind::prompt, origin, message, defaultText));
    if (answer.accepted && result)
        *result = answer.text;
    return answer.accepted;
}
