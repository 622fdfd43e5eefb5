#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QToolButton;
class QVBoxLayout;

// The amber bar above a page judged with caution: the page is shown, and the
// bar names why it deserves a second look before buying. The user can close
// it; what that means (for how long) is the window's business.
class CautionBarView final : public QWidget
{
    Q_OBJECT

public:
    explicit CautionBarView(QWidget *parent = nullptr);

    QStringList reasons() const { return m_reasons; }
    void setReasons(const QStringList &reasons);

Q_SIGNALS:
    void dismissRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showReasons();
    void restyle();

    QStringList m_reasons;
    QLabel *m_symbol;
    QVBoxLayout *m_reasonLayout;
    QToolButton *m_closeButton;
    bool m_restyling = false;
};
