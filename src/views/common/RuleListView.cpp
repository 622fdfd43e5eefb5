#include "views/common/RuleListView.h"

#include <QPainter>

#include <algorithm>

RuleListView::RuleListView(QWidget *parent)
    : QListView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setViewportMargins(0, cardInset, 0, cardInset);
    // Let the tab or window background show around the card.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

QRect RuleListView::cardRect() const
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if (rows == 0)
        return QRect();
    const QRect first = visualRect(model()->index(0, 0, rootIndex()));
    const QRect last = visualRect(model()->index(rows - 1, 0, rootIndex()));
    return QRect(QPoint(cardInset, first.top()),
                 QPoint(viewport()->width() - 1 - cardInset, last.bottom()));
}

void RuleListView::paintEvent(QPaintEvent *event)
{
    // Painted here rather than by a style sheet, which would fix the colours
    // when it is set and keep the window's palette (light or dark, by theme)
    // from the card.
    const QRect card = cardRect();
    if (!card.isEmpty()) {
        // Only the part near the screen, so a card of a hundred thousand
        // rows costs what one of ten does; an end cut off lies past the
        // viewport, where its rounded corners never show.
        const qreal reach = cornerRadius * 2;
        QRectF outline = QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5);
        outline.setTop(std::max(outline.top(), -reach));
        outline.setBottom(std::min(outline.bottom(), viewport()->height() + reach));
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Midlight), 1));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(outline, cornerRadius, cornerRadius);
    }
    QListView::paintEvent(event);
}
