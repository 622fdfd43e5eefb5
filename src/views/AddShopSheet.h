#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class SecurityRuleStore;
class ThemeManager;

// The sheet that adds a certified shop. It lives as long as its settings
// view: cancelling keeps what was typed, only a successful add clears it.
class AddShopSheet final : public QDialog
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
    void updateAddButton();
    void applyTheme();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    QLineEdit *m_nameField;
    QLineEdit *m_domainField;
    QLineEdit *m_categoryField;
    QLineEdit *m_templateField;
    QPushButton *m_cancelButton;
    QPushButton *m_addButton;
};
