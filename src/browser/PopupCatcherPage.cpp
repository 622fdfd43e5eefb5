#include "PopupCatcherPage.h"

#include <QWebEngineProfile>

PopupCatcherPage::PopupCatcherPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{ }

bool PopupCatcherPage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                               bool isMainFrame)
{
    Q_UNUSED(type);
    if (!isMainFrame || m_caught)
        return false;
    // The blank page the window starts on; its real address comes later.
    if (url.scheme() == QLatin1String("about"))
        return true;
    // Anything else, also an address QUrl refused, goes to the pane's policy.
    m_caught = true;
    Q_EMIT navigationCaught(url);
    deleteLater();
    return false;
}

QWebEnginePage *PopupCatcherPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    return nullptr;
}
