#pragma once

#include <QUrl>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class ThemeManager;

// The full-pane warning shown instead of a page whose certificate the
// engine found wrong: what is wrong in plain words, the address, going back
// as the one primary action, and going on only where the engine allows it.
// It keeps no state beyond its inputs; the pane decides what the actions do.
class CertificateWarningView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maxContentWidth = 550;

    explicit CertificateWarningView(ThemeManager &themeManager, QWidget *parent = nullptr);

    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url);
    QString problem() const;
    void setProblem(const QString &problem);
    // Without it the proceed button is not offered.
    void setCanProceed(bool canProceed);

Q_SIGNALS:
    void goBackRequested();
    void proceedRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildIcon();
    QWidget *buildDetailBox();
    QWidget *buildButtons();
    void restyle();

    ThemeManager &m_themeManager;
    QUrl m_url;
    bool m_restyling = false;

    QLabel *m_message = nullptr;
    QFrame *m_detailBox = nullptr;
    QFrame *m_divider = nullptr;
    QLabel *m_addressTitle = nullptr;
    QLabel *m_address = nullptr;
    QLabel *m_problemTitle = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_goBackButton = nullptr;
    QPushButton *m_proceedButton = nullptr;
};
