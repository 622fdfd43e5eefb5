#pragma once

#include "safety/SafetyLevel.h"

#include <QStringList>
#include <QUrl>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class QVBoxLayout;
class ThemeManager;

// The full-pane warning shown instead of a blocked page: what was detected,
// the blocked address and every reason, and the ways out: back, on to the
// real shop a look-alike imitates ("did you mean"), or on anyway. It keeps
// no state beyond its inputs; the window decides what the actions do.
class SafeGuardWarningView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maxContentWidth = 550;

    explicit SafeGuardWarningView(ThemeManager &themeManager, QWidget *parent = nullptr);

    QUrl blockedUrl() const { return m_blockedUrl; }
    // An empty address stands for none and shows "不明".
    void setBlockedUrl(const QUrl &url);
    QStringList reasons() const { return m_reasons; }
    void setReasons(const QStringList &reasons);
    // A non-empty suggestion becomes the primary button, "<name> (<domain>)
    // を開く"; going back then steps down to a plain bordered button.
    SafetyLevel::Suggestion suggestion() const { return m_suggestion; }
    void setSuggestion(const SafetyLevel::Suggestion &suggestion);
    // Without it the proceed button is not offered.
    void setCanProceed(bool canProceed);

Q_SIGNALS:
    void goBackRequested();
    void proceedAnywayRequested();
    void suggestionRequested();

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildIcon();
    QWidget *buildHeading();
    QWidget *buildDetailBox();
    QWidget *buildButtons();

    void showAddress();
    void elideAddress();
    void showReasons();
    void restyle();

    ThemeManager &m_themeManager;
    QUrl m_blockedUrl;
    QStringList m_reasons;
    SafetyLevel::Suggestion m_suggestion;
    QString m_addressText;
    bool m_restyling = false;

    QLabel *m_icon = nullptr;
    QLabel *m_message = nullptr;
    QFrame *m_detailBox = nullptr;
    QFrame *m_divider = nullptr;
    QLabel *m_addressTitle = nullptr;
    QLabel *m_address = nullptr;
    QWidget *m_reasonList = nullptr;
    QVBoxLayout *m_reasonLayout = nullptr;
    QPushButton *m_suggestionButton = nullptr;
    QPushButton *m_goBackButton = nullptr;
    QPushButton *m_proceedButton = nullptr;
};
