#pragma once

#include <QWidget>

class AddShopSheet;
class InsetList;
class QLabel;
class QPushButton;
class SecurityRuleStore;
class ThemeManager;

// The "認定正規ショップ" tab: the certified shops of the shared rule store with
// their switches, delete buttons for custom shops, and the add-shop sheet.
// It holds no shop data of its own; every change goes through the store.
class TrustedShopSettingsTab final : public QWidget
{
    Q_OBJECT

public:
    explicit TrustedShopSettingsTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                    QWidget *parent = nullptr);

    AddShopSheet *addShopSheet() const { return m_sheet; }
    void showAddShopSheet();

private:
    void syncRows();
    void applyTheme();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    QLabel *m_titleLabel;
    QPushButton *m_addButton;
    InsetList *m_list;
    AddShopSheet *m_sheet;
};
