#pragma once

#include "views/settings/RuleRowDelegate.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QUuid;
class QVBoxLayout;
class RuleListModel;
class RuleListView;
class ThemeManager;

// What the shop, pattern and subscription tabs have in common: a header with
// the list's title, caption and add button, and the list itself, a view over
// a model of the shared store. The tab holds no rules of its own; every
// change goes through the store, so the next search and verdict in every
// window use it.
class RuleListSettingsTab : public QWidget
{
    Q_OBJECT

public:
    RuleListView *listView() const { return m_list; }
    RuleRowDelegate *rowDelegate() const { return m_delegate; }

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

    // Takes the model; rows get the look.
    RuleListSettingsTab(ThemeManager &themeManager, const Texts &texts, RuleListModel *model,
                        const RuleRowDelegate::Look &look, QWidget *parent);

    QPushButton *addButton() const { return m_addButton; }
    RuleListModel *model() const { return m_model; }
    QVBoxLayout *tabLayout() const { return m_layout; }

    // A row's delete button; the row goes at once unless a tab asks first.
    virtual void removeRule(const QUuid &id);

private:
    void updateTitle();
    void applyTheme();

    ThemeManager &m_themeManager;
    QString m_titleFormat;
    RuleListModel *m_model;
    RuleRowDelegate *m_delegate;
    QLabel *m_titleLabel;
    QPushButton *m_addButton;
    RuleListView *m_list;
    QVBoxLayout *m_layout;
};
