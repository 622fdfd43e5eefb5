#pragma once

#include "views/settings/RuleListSettingsTab.h"

#include <QSet>
#include <QUuid>

class AddSubscriptionSheet;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class SecurityRuleStore;
class SubscriptionStore;

// The "購読リスト" tab: the subscribed block lists with their switches, rule
// counts, last update and last error; the skipped lines of the chosen list;
// adding one by its https address, updating one or all (with progress),
// removing one after a confirmation, importing a local file (by a dialog or
// by dropping it on the tab), and exporting the user's own excluded patterns
// as a list file.
class SubscriptionSettingsTab final : public RuleListSettingsTab
{
    Q_OBJECT

public:
    SubscriptionSettingsTab(SubscriptionStore &store, SecurityRuleStore &ruleStore,
                            ThemeManager &themeManager, QWidget *parent = nullptr);

    AddSubscriptionSheet *addSubscriptionSheet() const { return m_sheet; }

    // What the dialogs and a drop lead to; a refusal is shown in a message.
    void importFiles(const QStringList &paths);
    void exportPatterns(const QString &path);

protected:
    void removeRule(const QUuid &id) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void chooseImportFile();
    void chooseExportFile();
    void showProblems();
    void updateStarted(const QUuid &id);
    void updateFinished(const QUuid &id);
    void showProgress();
    void showMessage(const QString &name, const QString &text, const QString &details,
                     bool warning);
    static QStringList localFiles(const QMimeData *data);

    SubscriptionStore &m_store;
    SecurityRuleStore &m_ruleStore;
    AddSubscriptionSheet *m_sheet;
    QProgressBar *m_progress;
    QLabel *m_progressLabel;
    QPlainTextEdit *m_problems;
    // Updates of the current round: progress counts them until none is left.
    QSet<QUuid> m_running;
    int m_roundTotal = 0;
};
