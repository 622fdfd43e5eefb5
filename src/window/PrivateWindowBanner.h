#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

// The dark strip across the top of a private window: "プライベート" and
// what that means. It keeps its own colours in light and dark themes alike,
// so a private window never looks like a normal one.
class PrivateWindowBanner final : public QWidget
{
    Q_OBJECT

public:
    static constexpr QColor background {28, 22, 44};
    static constexpr QColor edge {142, 108, 240};

    explicit PrivateWindowBanner(QWidget *parent = nullptr);

    QString title() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_title;
};
