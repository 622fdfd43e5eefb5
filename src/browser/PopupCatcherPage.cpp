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
    // window.open() without an address starts on a blank page and is given
    // its address later; wait for that one.
    if (url.isEmpty() || url.scheme() == QLatin1String("about"))
        return true;
    m_caught = true;
    Q_EMIT navigationCaught(url);
    deleteLater();
    return false;
}

QWebEnginePage *PopupCatcherPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    auto *catcher = new PopupCatcherPage(profile(), parent());
    connect(catcher, &PopupCatcherPage::navigationCaught, this,
            &PopupCatcherPage::navigationCaught);
    return catcher;
}
