#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class SecurityRuleStore;
class ThemeManager;

// The sheet that adds an exclusion pattern. Like the shop sheet, it keeps its
// fields when cancelled and clears them only after a successful add.
class AddPatternSheet final : public QDialog
{
    Q_OBJECT

public:
    explicit AddPatternSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                             QWidget *parent = nullptr);

    // Adds the pattern if it is not empty; returns whether it did.
    bool addPattern();

private:
    void updateAddButton();
    void applyTheme();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    QLineEdit *m_patternField;
    QLineEdit *m_reasonField;
    QPushButton *m_cancelButton;
    QPushButton *m_addButton;
};
