#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Stands in the page's place when the engine's process for the page ended
// abnormally (out of memory, or a page that crashed it): without it the tab
// shows an empty white area and the shopper cannot tell a crash from a slow
// page. Reloading starts a new process.
class PageCrashedView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr auto titleText = "このページを表示できませんでした";

    explicit PageCrashedView(QWidget *parent = nullptr);

Q_SIGNALS:
    void reloadRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    QLabel *m_icon;
    QPushButton *m_reload;
};
