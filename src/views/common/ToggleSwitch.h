#pragma once

#include <QAbstractButton>
#include <QColor>

class QPainter;

// An on/off switch: a rounded track with a round knob, filled with the
// accent colour when on. Checked means on.
class ToggleSwitch final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget *parent = nullptr);

    void setOnColor(const QColor &color);
    QColor onColor() const { return m_onColor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The switch as drawn, centred in area: list delegates paint the same
    // switch without making one.
    static void paint(QPainter *painter, const QRectF &area, bool checked, const QColor &onColor,
                      const QPalette &palette, bool enabled, bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;
    // The row's owner decides the state (from the store), so a click only
    // reports; it does not flip the switch by itself.
    void nextCheckState() override;

private:
    QColor m_onColor;
};
