#pragma once

#include <QWidget>

class AddPatternSheet;
class InsetList;
class QLabel;
class QPushButton;
class SecurityRuleStore;
class ThemeManager;

// The "危険サイト除外" tab: the excluded patterns of the shared rule store with
// their switches, delete buttons for custom patterns, and the add-pattern
// sheet. Every change goes through the store, so the next search and verdict
// in every window use it.
class ExclusionRuleSettingsTab final : public QWidget
{
    Q_OBJECT

public:
    explicit ExclusionRuleSettingsTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                      QWidget *parent = nullptr);

    AddPatternSheet *addPatternSheet() const { return m_sheet; }
    void showAddPatternSheet();

private:
    void syncRows();
    void applyTheme();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    QLabel *m_titleLabel;
    QPushButton *m_addButton;
    InsetList *m_list;
    AddPatternSheet *m_sheet;
};
