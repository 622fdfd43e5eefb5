#include "views/history/HistoryItemDelegate.h"

#include "history/HistoryModel.h"
#include "views/browser/AddressView.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QUrl>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int symbolSize = 16;
constexpr int cornerRadius = 10;

bool isDay(const QModelIndex &index)
{
    return !index.parent().isValid();
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(alpha);
    return color;
}

} // namespace

QRect HistoryItemDelegate::removeButtonRect(const QRect &rowRect)
{
    const int right = rowRect.right() - cardInset - rowInset + 6;
    return QRect(right - removeButtonSize + 1,
                 rowRect.top() + (rowRect.height() - removeButtonSize) / 2, removeButtonSize,
                 removeButtonSize);
}

QString HistoryItemDelegate::verdictSymbol(const QString &verdict)
{
    if (verdict == "trusted"_L1)
        return u"checkmark.seal.fill"_s;
    if (verdict == "suspicious"_L1 || verdict == "caution"_L1)
        return u"exclamationmark.triangle.fill"_s;
    return u"globe"_s;
}

QColor HistoryItemDelegate::verdictColor(const QString &verdict, const QPalette &palette)
{
    if (verdict == "trusted"_L1)
        return ViewStyle::green();
    if (verdict == "suspicious"_L1)
        return ViewStyle::red();
    if (verdict == "caution"_L1)
        return ViewStyle::orange();
    return palette.color(QPalette::PlaceholderText);
}

void HistoryItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    if (isDay(index))
        paintDay(painter, option, index);
    else
        paintVisit(painter, option, index);
    painter->restore();
}

QString HistoryItemDelegate::shownAddress(const QModelIndex &visit)
{
    return AddressView::displayParts(visit.data(HistoryModel::UrlRole).toUrl()).text();
}

QString HistoryItemDelegate::shownTitle(const QModelIndex &visit)
{
    const QString title = visit.data(HistoryModel::TitleRole).toString();
    return title.isEmpty() ? shownAddress(visit) : title;
}

bool HistoryItemDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.data(HistoryModel::UrlRole).isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), shownAddress(index), view);
    return true;
}

void HistoryItemDelegate::paintDay(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    painter->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline, QFont::Bold));
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    const QRect text = option.rect.adjusted(cardInset + 4, 0, -cardInset, -6);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
}

void HistoryItemDelegate::paintVisit(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    const QPalette &palette = option.palette;
    const QRect row = option.rect;
    const QRectF card = QRectF(row).adjusted(cardInset + 0.5, 0, -cardInset - 0.5, 0);
    const bool first = index.row() == 0;
    const bool last = index.row() == index.model()->rowCount(index.parent()) - 1;

    // One card per day: rows in between continue it above and below, so
    // only the first and last rows show its rounded ends.
    QRectF shape = card;
    if (!first)
        shape.setTop(card.top() - 2 * cornerRadius);
    else
        shape.setTop(card.top() + 0.5);
    if (!last)
        shape.setBottom(card.bottom() + 2 * cornerRadius);
    else
        shape.setBottom(card.bottom() - 0.5);
    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius, cornerRadius);
    painter->save();
    painter->setClipRect(card.adjusted(-1, 0, 1, 0));
    painter->setPen(QPen(palette.color(QPalette::Midlight), 1));
    painter->setBrush(palette.color(QPalette::Base));
    painter->drawPath(path);
    const bool selected = option.state & QStyle::State_Selected;
    const bool hovered = option.state & QStyle::State_MouseOver;
    if (selected || hovered) {
        painter->setClipPath(path, Qt::IntersectClip);
        painter->fillRect(card,
                          withAlpha(palette.color(QPalette::Highlight), selected ? 0.18 : 0.08));
    }
    painter->restore();
    if (!first) {
        painter->setPen(QPen(palette.color(QPalette::Midlight), 1));
        const qreal y = row.top() + 0.5;
        painter->drawLine(QPointF(card.left() + rowInset, y), QPointF(card.right() - rowInset, y));
    }

    const qreal ratio = painter->device()->devicePixelRatioF();
    int x = int(card.left()) + rowInset;
    const QString verdict = index.data(HistoryModel::VerdictRole).toString();
    painter->drawPixmap(QPoint(x, row.top() + (row.height() - symbolSize) / 2),
                        SymbolIcon::pixmap(verdictSymbol(verdict), verdictColor(verdict, palette),
                                           symbolSize, ratio));
    x += symbolSize + 10;

    const QFont timeFont = ViewStyle::font(ViewStyle::TextStyle::caption);
    const QFontMetrics timeMetrics(timeFont);
    const int timeWidth = timeMetrics.horizontalAdvance(u"00:00"_s) + 4;
    painter->setFont(timeFont);
    painter->setPen(palette.color(QPalette::PlaceholderText));
    painter->drawText(QRect(x, row.top(), timeWidth, row.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(HistoryModel::VisitedAtRole).toDateTime().toString(u"HH:mm"_s));
    x += timeWidth + 10;

    const QRect remove = removeButtonRect(row);
    const int textWidth = qMax(0, remove.left() - 8 - x);
    const QFont titleFont = ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold);
    const QFont urlFont = ViewStyle::font(ViewStyle::TextStyle::caption);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics urlMetrics(urlFont);
    const int textHeight = titleMetrics.height() + 3 + urlMetrics.height();
    const int top = row.top() + (row.height() - textHeight) / 2;
    painter->setFont(titleFont);
    painter->setPen(palette.color(QPalette::Text));
    painter->drawText(QRect(x, top, textWidth, titleMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      titleMetrics.elidedText(shownTitle(index), Qt::ElideRight, textWidth));
    painter->setFont(urlFont);
    painter->setPen(palette.color(QPalette::PlaceholderText));
    painter->drawText(QRect(x, top + titleMetrics.height() + 3, textWidth, urlMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      urlMetrics.elidedText(shownAddress(index), Qt::ElideMiddle, textWidth));

    // The symbol is red at 80 % opacity, as on the bookmark rows.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    if (hovered && view) {
        if (remove.contains(view->viewport()->mapFromGlobal(QCursor::pos()))) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(withAlpha(ViewStyle::red(), 0.12));
            painter->drawEllipse(QRectF(remove).adjusted(2, 2, -2, -2));
        }
    }
    const int trash = 18;
    painter->drawPixmap(
        QPoint(remove.left() + (removeButtonSize - trash) / 2,
               remove.top() + (removeButtonSize - trash) / 2),
        SymbolIcon::pixmap(u"trash"_s, withAlpha(ViewStyle::red(), 0.8), trash, ratio));
}

QSize HistoryItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    if (!isDay(index))
        return QSize(0, visitHeight);
    // Every day but the first gets air above its title.
    return QSize(0, index.row() == 0 ? dayHeight : dayHeight + 10);
}

bool HistoryItemDelegate::editorEvent(QEvent *event, QAbstractItemModel *,
                                      const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (isDay(index))
        return false;
    // The first click of a double click opened the row already.
    if (event->type() == QEvent::MouseButtonDblClick)
        return true;
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
        return false;
    const quint64 previous = std::exchange(m_lastClickTimestamp, mouse->timestamp());
    if (previous != 0
        && m_lastClickTimestamp - previous < quint64(QApplication::doubleClickInterval()))
        return true;
    if (removeButtonRect(option.rect).contains(mouse->position().toPoint())) {
        const qint64 id = index.data(HistoryModel::VisitIdRole).toLongLong();
        QMetaObject::invokeMethod(
            this, [this, id] { Q_EMIT removeRequested(id); }, Qt::QueuedConnection);
    } else {
        const QUrl url = index.data(HistoryModel::UrlRole).toUrl();
        QMetaObject::invokeMethod(
            this, [this, url] { Q_EMIT openRequested(url); }, Qt::QueuedConnection);
    }
    return true;
}
