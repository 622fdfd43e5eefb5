#include "views/settings/SettingsView.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"
#include "views/settings/AboutTab.h"
#include "views/settings/ExclusionRuleSettingsTab.h"
#include "views/settings/SubscriptionSettingsTab.h"
#include "views/settings/ThemeSettingsTab.h"
#include "views/settings/TrustedShopSettingsTab.h"

#include <QEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int defaultPadding = 16;
constexpr int tabContentPadding = 12;

QWidget *padded(QWidget *content, int margin)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    layout->addWidget(content);
    return page;
}

struct TabSymbol
{
    const char16_t *label;
    const char16_t *symbol;
};

// Tab labels and symbols, in tab order.
constexpr TabSymbol tabSymbols[] = {
    {u"外観・テーマ", u"paintpalette.fill"},     {u"認定正規ショップ", u"checkmark.seal.fill"},
    {u"危険サイト除外", u"shield.checkerboard"}, {u"購読リスト", u"list.bullet.rectangle"},
    {u"アプリについて", u"info.circle.fill"},
};

} // namespace

SettingsView::SettingsView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                           SubscriptionStore &subscriptions, QWidget *parent)
    : QWidget(parent)
    , m_themeManager(themeManager)
    , m_ruleStore(ruleStore)
    , m_tabs(new QTabWidget)
    , m_themeTab(new ThemeSettingsTab(themeManager))
    , m_trustedShopTab(new TrustedShopSettingsTab(ruleStore, themeManager))
    , m_exclusionRuleTab(new ExclusionRuleSettingsTab(ruleStore, themeManager))
    , m_subscriptionTab(new SubscriptionSettingsTab(subscriptions, ruleStore, themeManager))
    , m_aboutTab(new AboutTab(ruleStore, themeManager))
{
    setObjectName(QStringLiteral("settingsView"));
    setMinimumSize(600, 480);

    m_tabs->setObjectName(QStringLiteral("settingsTabs"));
    m_tabs->setDocumentMode(false);
    // At the window's least width the tab names are shortened rather than
    // hidden behind scroll arrows; its usual size shows them whole.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideRight);
    m_tabs->addTab(padded(m_themeTab, 0), QString());
    m_tabs->addTab(padded(m_trustedShopTab, tabContentPadding), QString());
    m_tabs->addTab(padded(m_exclusionRuleTab, tabContentPadding), QString());
    m_tabs->addTab(padded(m_subscriptionTab, tabContentPadding), QString());
    m_tabs->addTab(padded(m_aboutTab, tabContentPadding), QString());
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabText(i, QString::fromUtf16(tabSymbols[i].label));
    m_tabs->setCurrentIndex(0);
    updateTabIcons();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(defaultPadding, defaultPadding, defaultPadding, defaultPadding);
    layout->addWidget(m_tabs);
}

void SettingsView::showSubscriptionTab()
{
    m_tabs->setCurrentWidget(m_subscriptionTab->parentWidget());
}

void SettingsView::updateTabIcons()
{
    const QColor color = palette().color(QPalette::WindowText);
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabIcon(i,
                           SymbolIcon::icon(QString::fromUtf16(tabSymbols[i].symbol), color, 16));
}

void SettingsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        updateTabIcons();
}
