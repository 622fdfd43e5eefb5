#pragma once

#include "views/settings/AddRuleSheet.h"

class SecurityRuleStore;

// The sheet that adds a certified shop.
class AddShopSheet final : public AddRuleSheet
{
    Q_OBJECT

public:
    explicit AddShopSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                          QWidget *parent = nullptr);

    // Google's Japanese web search narrowed to the domain, as typed.
    static QString generatedTemplate(const QString &domain);

    // Adds the shop if name and domain are not empty; returns whether it did.
    bool addShop();

private:
    SecurityRuleStore &m_ruleStore;
    QLineEdit *m_nameField;
    QLineEdit *m_domainField;
    QLineEdit *m_categoryField;
    QLineEdit *m_templateField;
};
