#include "window/SidebarItemDelegate.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int sideMargin = 8;
constexpr int iconSize = 16;
constexpr int iconGap = 8;

QColor secondary(const QPalette &palette)
{
    return palette.color(QPalette::PlaceholderText);
}

} // namespace

void SidebarItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    const QPalette &palette = option.palette;
    const QRect rect = option.rect;
    const QString text = index.data(Qt::DisplayRole).toString();

    if (index.data(headerRole).toBool()) {
        painter->setFont(ViewStyle::systemFont(11, QFont::Bold));
        painter->setPen(secondary(palette));
        const QRect textRect = rect.adjusted(sideMargin + 2, 0, -sideMargin, -4);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, text);
        painter->restore();
        return;
    }

    const bool selected = option.state & QStyle::State_Selected;
    const bool hovered = option.state & QStyle::State_MouseOver;
    const QRectF pill = QRectF(rect).adjusted(sideMargin / 2.0, 1, -sideMargin / 2.0, -1);
    if (selected || hovered) {
        QColor fill = palette.color(QPalette::Highlight);
        if (!selected)
            fill.setAlphaF(0.12f);
        QPainterPath path;
        path.addRoundedRect(pill, 6, 6);
        painter->fillPath(path, fill);
    }

    const QColor textColor
        = selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::WindowText);
    const QColor iconColor = selected ? textColor : palette.color(QPalette::Highlight);

    int x = rect.left() + sideMargin + 4;
    const QPixmap icon = SymbolIcon::pixmap(index.data(symbolRole).toString(), iconColor, iconSize,
                                            painter->device()->devicePixelRatioF());
    painter->drawPixmap(QPoint(x, rect.top() + (rect.height() - iconSize) / 2), icon);
    x += iconSize + iconGap;

    int right = rect.right() - sideMargin - 4;
    const QString badge = index.data(badgeRole).toString();
    if (!badge.isEmpty()) {
        const QFont badgeFont = ViewStyle::systemFont(11, QFont::DemiBold);
        const QFontMetrics metrics(badgeFont);
        const int width = qMax(metrics.horizontalAdvance(badge) + 12, 20);
        const QRectF badgeRect(right - width, rect.top() + (rect.height() - 16) / 2.0, width, 16);
        QColor badgeFill = selected ? textColor : secondary(palette);
        badgeFill.setAlphaF(0.22f);
        QPainterPath path;
        path.addRoundedRect(badgeRect, 8, 8);
        painter->fillPath(path, badgeFill);
        painter->setFont(badgeFont);
        painter->setPen(selected ? textColor : secondary(palette));
        painter->drawText(badgeRect, Qt::AlignCenter, badge);
        right = int(badgeRect.left()) - 6;
    }

    painter->setFont(ViewStyle::systemFont(13));
    painter->setPen(textColor);
    const QRect textRect(x, rect.top(), qMax(0, right - x), rect.height());
    const QString elided
        = painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, elided);
    painter->restore();
}

QSize SidebarItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const int width = QStyledItemDelegate::sizeHint(option, index).width();
    if (!index.data(headerRole).toBool())
        return QSize(width, rowHeight);
    // Every group but the first gets air above its header.
    return QSize(width, index.row() == 0 ? headerHeight : headerHeight + 10);
}
