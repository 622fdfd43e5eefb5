#pragma once

#include <QLabel>

// A one-line label that ends in "…" when it is narrower than its text,
// instead of pushing its row wider. text() stays the full text.
class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(const QString &text = QString(), QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int lineHeight() const;
};
