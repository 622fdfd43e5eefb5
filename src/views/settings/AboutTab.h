#pragma once

#include <QWidget>

class QLabel;
class QMessageBox;
class PreferencesStore;
class QPushButton;
class SecurityRuleStore;
class ThemeManager;

// The "アプリについて" tab: name, version and build, the purpose, the reset
// of the rules behind a confirmation, and the way to delete browsing data.
class AboutTab final : public QWidget
{
    Q_OBJECT

public:
    explicit AboutTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                      QWidget *parent = nullptr);

    // The lines that describe the running build (Qt, processor, system, web
    // engine).
    static QString versionText();
    static QString platformText();
    static QString engineText();

    // Asks before resetting; the box is window-modal and deletes itself.
    void showResetConfirmation();
    QMessageBox *resetConfirmation() const { return m_confirmation; }

    // Adds the start-up choice "起動時に前回のタブを復元", stored in these
    // preferences (only the application's windows have them).
    void addStartupOption(PreferencesStore &preferences);

Q_SIGNALS:
    // The window that shows this tab knows what there is to delete.
    void clearBrowsingDataRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyTheme();

    SecurityRuleStore &m_ruleStore;
    ThemeManager &m_themeManager;
    QLabel *m_symbol;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_clearDataButton = nullptr;
    QMessageBox *m_confirmation = nullptr;
};
