#include "app/VelmoraShoppingBrowserApp.h"

#include "browser/WebProfiles.h"
#include "views/history/ClearBrowsingDataDialog.h"
#include "views/settings/AboutTab.h"
#include "views/settings/SettingsView.h"
#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QWebEngineProfile>

VelmoraShoppingBrowserApp::VelmoraShoppingBrowserApp(PreferencesStore &preferences,
                                                     const QString &dataFolder, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_dataFolder(dataFolder)
    , m_themeManager(preferences)
    , m_ruleStore(preferences)
    , m_historyStore(QDir(dataFolder).filePath(QStringLiteral("history.sqlite")))
{
    // Fusion draws the forced light and dark palettes faithfully on every
    // desktop; native styles may ignore them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

VelmoraShoppingBrowserApp::~VelmoraShoppingBrowserApp()
{
    // The windows refer to the theme manager, rule store and history, which
    // go with this object, and their pages to the profiles, which must
    // outlive every page.
    delete m_settingsWindow;
    const QList<ContentView *> open = windows();
    qDeleteAll(open);
    delete m_privateProfile;
    // Deleting the profile writes the cookies it still holds to disk.
    delete m_profile;
}

QWebEngineProfile &VelmoraShoppingBrowserApp::profile()
{
    if (!m_profile)
        m_profile = WebProfiles::makePersistent(m_dataFolder, this);
    return *m_profile;
}

ContentView *VelmoraShoppingBrowserApp::openWindow()
{
    return showWindow(profile());
}

ContentView *VelmoraShoppingBrowserApp::openPrivateWindow()
{
    // Private windows open together share their sign-ins, as in other
    // browsers; the profile goes when the last of them closes.
    if (!m_privateProfile)
        m_privateProfile = WebProfiles::makePrivate(this);
    ContentView *window = showWindow(*m_privateProfile);
    connect(window, &QObject::destroyed, this,
            &VelmoraShoppingBrowserApp::forgetPrivateProfileIfUnused, Qt::QueuedConnection);
    return window;
}

ContentView *VelmoraShoppingBrowserApp::showWindow(QWebEngineProfile &profile)
{
    auto *window
        = new ContentView(m_themeManager, m_ruleStore, m_preferences, profile, m_historyStore);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &ContentView::newWindowRequested, this, &VelmoraShoppingBrowserApp::openWindow);
    connect(window, &ContentView::newPrivateWindowRequested, this,
            &VelmoraShoppingBrowserApp::openPrivateWindow);
    connect(window, &ContentView::settingsRequested, this,
            &VelmoraShoppingBrowserApp::openSettingsWindow);
    connect(window, &ContentView::clearBrowsingDataRequested, this,
            [this, window] { openClearBrowsingData(window); });
    connect(window, &ContentView::quitRequested, this, &VelmoraShoppingBrowserApp::quit);
    m_windows.removeIf([](const QPointer<ContentView> &open) { return open.isNull(); });
    m_windows.append(window);
    window->show();
    return window;
}

void VelmoraShoppingBrowserApp::forgetPrivateProfileIfUnused()
{
    if (!m_privateProfile)
        return;
    const QList<ContentView *> open = windows();
    for (const ContentView *window : open) {
        if (&window->profile() == m_privateProfile)
            return;
    }
    // Everything the private windows kept goes with it.
    m_privateProfile->deleteLater();
    m_privateProfile = nullptr;
}

SettingsWindow *VelmoraShoppingBrowserApp::openSettingsWindow()
{
    if (!m_settingsWindow) {
        // A new window each time it is opened afresh, so its view starts on
        // the first tab with empty fields.
        m_settingsWindow = new SettingsWindow(m_themeManager, m_ruleStore);
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
        SettingsWindow *window = m_settingsWindow;
        connect(window->settingsView()->aboutTab(), &AboutTab::clearBrowsingDataRequested, this,
                [this, window] { openClearBrowsingData(window); });
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    return m_settingsWindow;
}

void VelmoraShoppingBrowserApp::openClearBrowsingData(QWidget *parent)
{
    auto *dialog = new ClearBrowsingDataDialog(profile(), m_historyStore, m_dataFolder, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
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
