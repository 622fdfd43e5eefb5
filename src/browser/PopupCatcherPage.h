#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// Stands in for a new window a page opened without an address
// (window.open() then w.location = ...): the engine needs a page to put the
// window's contents into, but this browser has one pane. The catcher refuses
// the window's first real navigation, reports its address so the pane can
// open it instead, and then goes away.
class PopupCatcherPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    PopupCatcherPage(QWebEngineProfile *profile, QObject *parent);

Q_SIGNALS:
    void navigationCaught(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    // Windows of a window nobody sees are dropped.
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    bool m_caught = false;
};
