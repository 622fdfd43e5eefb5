#include "window/SettingsWindow.h"

#include "views/settings/SettingsView.h"

#include <QVBoxLayout>

SettingsWindow::SettingsWindow(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                               SubscriptionStore &subscriptions, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_view(new SettingsView(themeManager, ruleStore, subscriptions, this))
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("設定"));
    setMinimumSize(minimumContentSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}
