#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// Stands in for the new window a page asks for (a target="_blank" link,
// window.open): the engine needs a page to put the new window's contents
// into, but this browser has one pane. The catcher refuses the window's first
// real navigation, reports its address so the pane can open it instead, and
// then goes away.
class PopupCatcherPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    PopupCatcherPage(QWebEngineProfile *profile, QObject *parent);

Q_SIGNALS:
    void navigationCaught(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    // A window opened from the catcher goes the same way as its own.
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    bool m_caught = false;
};
