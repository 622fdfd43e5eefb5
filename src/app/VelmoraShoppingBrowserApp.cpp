#include "app/VelmoraShoppingBrowserApp.h"

#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>

VelmoraShoppingBrowserApp::VelmoraShoppingBrowserApp(
    PreferencesStore &preferences, const SubscriptionStore::Options &subscriptionOptions,
    QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_themeManager(preferences)
    , m_ruleStore(preferences)
    , m_subscriptions(preferences, subscriptionOptions)
{
    // The lists on disk judge from the first navigation; downloads wait for
    // the first window.
    m_ruleStore.setSubscribedLists(m_subscriptions.enabledLists());
    connect(&m_subscriptions, &SubscriptionStore::listsChanged, this,
            [this] { m_ruleStore.setSubscribedLists(m_subscriptions.enabledLists()); });
    // Fusion draws the forced light and dark palettes faithfully on every
    // desktop; native styles may ignore them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

VelmoraShoppingBrowserApp::~VelmoraShoppingBrowserApp()
{
    // The windows refer to the theme manager and rule store, which go with
    // this object.
    delete m_settingsWindow;
    const QList<ContentView *> open = windows();
    qDeleteAll(open);
}

ContentView *VelmoraShoppingBrowserApp::openWindow()
{
    auto *window = new ContentView(m_themeManager, m_ruleStore, m_subscriptions, m_preferences);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &ContentView::newWindowRequested, this, &VelmoraShoppingBrowserApp::openWindow);
    connect(window, &ContentView::settingsRequested, this,
            &VelmoraShoppingBrowserApp::openSettingsWindow);
    connect(window, &ContentView::quitRequested, this, &VelmoraShoppingBrowserApp::quit);
    m_windows.removeIf([](const QPointer<ContentView> &open) { return open.isNull(); });
    m_windows.append(window);
    window->show();
    if (!m_subscriptionsStarted) {
        m_subscriptionsStarted = true;
        // Once the window has painted: checking the lists' age and the first
        // downloads must not hold up the start.
        QTimer::singleShot(0, &m_subscriptions, &SubscriptionStore::start);
    }
    return window;
}

SettingsWindow *VelmoraShoppingBrowserApp::openSettingsWindow()
{
    if (!m_settingsWindow) {
        // A new window each time it is opened afresh, so its view starts on
        // the first tab with empty fields.
        m_settingsWindow = new SettingsWindow(m_themeManager, m_ruleStore, m_subscriptions);
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

void VelmoraShoppingBrowserApp::quit()
{
    // Closing first lets every window tidy up as if the user had closed it.
    QApplication::closeAllWindows();
    QApplication::quit();
}
