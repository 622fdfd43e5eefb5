#include "app/VelmoraShoppingBrowserApp.h"

#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include "browser/BrowserViewModel.h"
#include "views/settings/AboutTab.h"
#include "views/settings/SettingsView.h"

#include <QApplication>
#include <QStyleFactory>

VelmoraShoppingBrowserApp::VelmoraShoppingBrowserApp(PreferencesStore &preferences,
                                                     SessionStore *session, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_themeManager(preferences)
    , m_ruleStore(preferences)
    , m_session(session)
{
    m_sessionSaveTimer.setSingleShot(true);
    m_sessionSaveTimer.setInterval(300);
    connect(&m_sessionSaveTimer, &QTimer::timeout, this, &VelmoraShoppingBrowserApp::saveSession);
    // Fusion draws the forced light and dark palettes faithfully on every
    // desktop; native styles may ignore them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

VelmoraShoppingBrowserApp::~VelmoraShoppingBrowserApp()
{
    m_quitting = true;
    // The windows refer to the theme manager and rule store, which go with
    // this object.
    delete m_settingsWindow;
    const QList<ContentView *> open = windows();
    qDeleteAll(open);
}

ContentView *VelmoraShoppingBrowserApp::openWindow()
{
    return openWindowAt(std::nullopt);
}

void VelmoraShoppingBrowserApp::openAddresses(const QList<QUrl> &urls)
{
    if (urls.isEmpty()) {
        openWindow();
        return;
    }
    ContentView *last = nullptr;
    for (const QUrl &url : urls)
        last = openWindowAt(url);
    // A link clicked in another program should come to the front.
    last->raise();
    last->activateWindow();
}

void VelmoraShoppingBrowserApp::start(const QList<QUrl> &urls)
{
    bool restored = false;
    if (m_session && SessionStore::restoresAtStart(m_preferences)) {
        for (const SessionWindow &window : m_session->load()) {
            // A blocked page is opened through the screening again, which
            // stops it before the engine sees it.
            ContentView *opened = openWindowAt(window.pages.first().url);
            for (qsizetype i = 1; i < window.pages.size(); ++i)
                opened->openTab(window.pages.at(i).url, true);
            opened->selectTab(window.current);
            restored = true;
        }
    }
    if (!urls.isEmpty() || !restored)
        openAddresses(urls);
}

ContentView *VelmoraShoppingBrowserApp::openWindowAt(const std::optional<QUrl> &address)
{
    auto *window = new ContentView(m_themeManager, m_ruleStore, m_preferences);
    // Even an address that does not parse is handed on: the screening
    // blocks it with its reason rather than the window searching instead.
    if (address)
        window->openAddress(*address);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &ContentView::newWindowRequested, this, [this] { openWindow(); });
    connect(window, &ContentView::settingsRequested, this,
            &VelmoraShoppingBrowserApp::openSettingsWindow);
    connect(window, &ContentView::quitRequested, this, &VelmoraShoppingBrowserApp::quit);
    m_windows.removeIf([](const QPointer<ContentView> &open) { return open.isNull(); });
    m_windows.append(window);
    if (m_session) {
        connect(window, &ContentView::tabsChanged, &m_sessionSaveTimer,
                qOverload<>(&QTimer::start));
        // Closing one of several windows forgets it; closing the last one,
        // or quitting, keeps what was open for the next start.
        connect(window, &QObject::destroyed, this, [this] {
            if (!m_quitting && !windows().isEmpty())
                m_sessionSaveTimer.start();
        });
    }
    window->show();
    return window;
}

SettingsWindow *VelmoraShoppingBrowserApp::openSettingsWindow()
{
    if (!m_settingsWindow) {
        // A new window each time it is opened afresh, so its view starts on
        // the first tab with empty fields.
        m_settingsWindow = new SettingsWindow(m_themeManager, m_ruleStore);
        m_settingsWindow->settingsView()->aboutTab()->addStartupOption(m_preferences);
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    return m_settingsWindow;
}

QList<ContentView *> VelmoraShoppingBrowserApp::windows() const
{
    QList<ContentView *> open;
    for (const QPointer<ContentView> &window : m_windows) {
        if (window)
            open.append(window);
    }
    return open;
}

QList<SessionWindow> VelmoraShoppingBrowserApp::currentSession() const
{
    QList<SessionWindow> session;
    for (ContentView *window : windows()) {
        SessionWindow saved;
        for (int i = 0; i < window->tabCount(); ++i) {
            const BrowserViewModel &page = window->tabViewModel(i);
            const SessionPage shown = page.isBlocked()
                ? SessionPage {page.pendingBlockedURL(), true}
                : SessionPage {page.currentURL(), false};
            // A tab that never showed a page has nothing to bring back.
            if (shown.url.isEmpty())
                continue;
            if (i == window->currentTabIndex())
                saved.current = int(saved.pages.size());
            saved.pages.append(shown);
        }
        if (!saved.pages.isEmpty())
            session.append(saved);
    }
    return session;
}

void VelmoraShoppingBrowserApp::saveSession()
{
    m_sessionSaveTimer.stop();
    if (m_session && !m_session->save(currentSession()))
        qWarning("Velmora: cannot save the open windows to %s", qPrintable(m_session->filePath()));
}

void VelmoraShoppingBrowserApp::quit()
{
    saveSession();
    m_quitting = true;
    // Closing first lets every window tidy up as if the user had closed it.
    QApplication::closeAllWindows();
    QApplication::quit();
}
