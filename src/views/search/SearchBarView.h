#pragma once

#include "rules/SearchTargetEngine.h"
#include "rules/TrustedShop.h"
#include "safety/SafeBrowsingEngine.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QWidget>

#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SecurityRuleStore;
class ThemeManager;

// The strip above the page: engine, filter mode and (for direct shop search)
// shop menus, the query box, the two search buttons, the current mode's
// description and one-click searches in the first shops of the rule list.
// It only builds addresses; the window hands them to the current tab.
class SearchBarView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maxShopChips = 6;

    SearchBarView(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                  QWidget *parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString &text);

    // Puts the caret in the query box with its text selected (Ctrl+L).
    void focusQuery();

    // The shop chosen for direct shop search; kept while this bar lives, also
    // when the mode changes or the shop is disabled meanwhile.
    std::optional<QUuid> selectedShopId() const { return m_selectedShopId; }

Q_SIGNALS:
    void searchTextChanged(const QString &text);
    // The address to open: a search, a shop's page or an address typed in
    // the box. Never empty.
    void searchRequested(const QUrl &address);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *buildMenuRow();
    QWidget *buildQueryRow();
    QWidget *buildModeRow();

    void performSearch();
    void searchWithEngine(SearchTargetEngine engine);
    void quickShopSearch(const TrustedShop &shop);

    void showEngine();
    void showFilterMode();
    void showShops();
    void showShopMenu();
    void showChips();
    void showClearButton();
    void arrangeModeRow();
    void restyle();
    void paintQueryBox();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    const SafeBrowsingEngine m_engine {};
    std::optional<QUuid> m_selectedShopId;
    bool m_restyling = false;

    QComboBox *m_engineMenu = nullptr;
    QComboBox *m_filterMenu = nullptr;
    QWidget *m_shopMenuBox = nullptr;
    QComboBox *m_shopMenu = nullptr;
    QWidget *m_queryBox = nullptr;
    QLabel *m_querySymbol = nullptr;
    QLineEdit *m_queryField = nullptr;
    QToolButton *m_clearButton = nullptr;
    QPushButton *m_shopSearchButton = nullptr;
    QPushButton *m_webSearchButton = nullptr;
    QGridLayout *m_modeRowLayout = nullptr;
    QWidget *m_modeLine = nullptr;
    QWidget *m_chipLine = nullptr;
    int m_modeRowArrangement = -1;
    QLabel *m_modeSymbol = nullptr;
    QLabel *m_modeDescription = nullptr;
    QLabel *m_chipsTitle = nullptr;
    QList<QPushButton *> m_chips;
};
