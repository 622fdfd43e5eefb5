#include "window/SettingsWindow.h"

#include "views/settings/SettingsView.h"

#include <QAction>
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

    const auto addShortcut = [this](const QKeySequence &keys, auto slot) {
        auto *action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), &SettingsWindow::newWindowRequested);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &SettingsWindow::quitRequested);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), &QWidget::close);
}
