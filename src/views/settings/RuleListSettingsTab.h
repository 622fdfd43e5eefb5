#pragma once

#include <QWidget>

#include <functional>

class InsetList;
class QLabel;
class QPushButton;
class QUuid;
class RuleRow;
class SecurityRuleStore;
class ThemeManager;

// What the shop and pattern tabs have in common: a header with the list's
// title, caption and add button, and a list of rule rows that mirrors the
// shared rule store. The tab holds no rules of its own; every change goes
// through the store, so the next search and verdict in every window use it.
class RuleListSettingsTab : public QWidget
{
    Q_OBJECT

protected:
    struct Texts
    {
        QString objectName;
        // Names the list; its title and caption add "Title" and "Caption".
        QString listName;
        // %1 is the number of rules.
        QString titleFormat;
        QString caption;
        QString addButtonName;
        QString addButtonText;
    };
    using RuleAction = void (SecurityRuleStore::*)(const QUuid &id);

    // A row's switch and delete button call toggleRule and removeRule.
    RuleListSettingsTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                        const Texts &texts, RuleAction toggleRule, RuleAction removeRule,
                        QWidget *parent);

    SecurityRuleStore &ruleStore() const { return m_ruleStore; }
    QPushButton *addButton() const { return m_addButton; }

    // Shows ruleCount rows: new ones come from createRow, and showRule fills
    // the row at each index.
    void syncRows(qsizetype ruleCount, const std::function<RuleRow *()> &createRow,
                  const std::function<void(RuleRow *row, qsizetype index)> &showRule);

private:
    void applyTheme();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    RuleAction m_toggleRule;
    RuleAction m_removeRule;
    QString m_titleFormat;
    QLabel *m_titleLabel;
    QPushButton *m_addButton;
    InsetList *m_list;
};
