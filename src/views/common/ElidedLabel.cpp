#include "views/common/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int ElidedLabel::lineHeight() const
{
    // Japanese text comes from a taller fallback font; measuring both
    // scripts gives rows of Latin and Japanese names the same height.
    const QMargins margins = contentsMargins();
    return fontMetrics().boundingRect(QStringLiteral("Agあ")).height() + margins.top()
        + margins.bottom();
}

QSize ElidedLabel::sizeHint() const
{
    return {QLabel::sizeHint().width(), lineHeight()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Wide enough for a few characters; the rest may be elided.
    const int full = QLabel::minimumSizeHint().width();
    const int small = fontMetrics().horizontalAdvance(QStringLiteral("MMM…"));
    return {qMin(full, small), lineHeight()};
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, int(alignment()) | Qt::TextSingleLine, palette(),
                          isEnabled(), shown, foregroundRole());
}
