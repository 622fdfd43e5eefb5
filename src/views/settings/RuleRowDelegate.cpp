#include "views/settings/RuleRowDelegate.h"

#include "rules/RuleListModel.h"
#include "views/common/RuleListView.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ToggleSwitch.h"
#include "views/common/ViewStyle.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QtMath>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int separatorHeight = 1;
constexpr int verticalPadding = 8;
constexpr int lineSpacing = 2;
constexpr int columnSpacing = 12;
constexpr int firstLineSpacing = 8;
constexpr QSize switchSize {32, 18};
constexpr int buttonSide = 16;
constexpr int badgePaddingX = 4;
constexpr int badgePaddingY = 1;
constexpr int badgeRadius = 3;

// Japanese text comes from a taller fallback font; measuring both scripts
// gives rows of Latin and Japanese names the same height.
int lineHeight(const QFont &font)
{
    return QFontMetrics(font).boundingRect(u"Agあ"_s).height();
}

int advance(const QFont &font, const QString &text)
{
    return qCeil(QFontMetricsF(font).horizontalAdvance(text)) + 1;
}

QString text(const QModelIndex &index, int role)
{
    return index.data(role).toString();
}

QRect contentRect(const QRect &rowRect)
{
    constexpr int inset = RuleListView::cardInset + RuleListView::rowInset;
    return rowRect.adjusted(inset, separatorHeight, -inset, 0);
}

} // namespace

struct RuleRowDelegate::Lines
{
    QRect first;
    QRect detail;
    QRect status; // empty when the row has none
    QRect error;
};

RuleRowDelegate::RuleRowDelegate(const Look &look, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_look(look)
    , m_badgeFont(ViewStyle::systemFont(9, QFont::Bold))
    , m_switchColor(0, 122, 255)
{ }

void RuleRowDelegate::setSwitchColor(const QColor &color)
{
    m_switchColor = color;
}

QSize RuleRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const Lines rows = lines(QRect(0, 0, std::max(option.rect.width(), 1), 0), index);
    const int bottom = std::max({rows.detail.bottom(), rows.status.bottom(), rows.error.bottom()});
    return {option.rect.width(), bottom + 1 + verticalPadding};
}

RuleRowDelegate::Lines RuleRowDelegate::lines(const QRect &rowRect, const QModelIndex &index) const
{
    const QRect content = contentRect(rowRect);
    const int left = content.left() + switchSize.width() + columnSpacing;
    int right = content.right();
    for (const Part part : {Part::update, Part::remove}) {
        const QRect button = partRect(part, rowRect, index);
        if (!button.isEmpty())
            right = std::min(right, button.left() - columnSpacing);
    }
    const int width = std::max(0, right - left + 1);
    const int first = std::max({lineHeight(m_look.title), lineHeight(m_look.note),
                                lineHeight(m_badgeFont) + 2 * badgePaddingY});
    Lines result;
    result.first = QRect(left, content.top() + verticalPadding, width, first);
    result.detail
        = QRect(left, result.first.bottom() + 1 + lineSpacing, width, lineHeight(m_look.detail));
    int bottom = result.detail.bottom();
    if (!text(index, RuleListModel::StatusRole).isEmpty()) {
        result.status = QRect(left, bottom + 1 + lineSpacing, width, lineHeight(m_look.note));
        bottom = result.status.bottom();
    }
    if (!text(index, RuleListModel::ErrorRole).isEmpty())
        result.error = QRect(left, bottom + 1 + lineSpacing, width, lineHeight(m_look.note));
    return result;
}

QRect RuleRowDelegate::partRect(Part part, const QRect &rowRect, const QModelIndex &index) const
{
    const QRect content = contentRect(rowRect);
    const int middle = content.top() + content.height() / 2;
    const bool removable = index.data(RuleListModel::RemovableRole).toBool();
    switch (part) {
    case Part::none:
        break;
    case Part::toggle:
        return QRect(QPoint(content.left(), middle - switchSize.height() / 2), switchSize);
    case Part::remove:
        if (removable)
            return QRect(content.right() + 1 - buttonSide, middle - buttonSide / 2, buttonSide,
                         buttonSide);
        break;
    case Part::update:
        if (index.data(RuleListModel::UpdatableRole).toBool()) {
            const int right
                = removable ? content.right() - buttonSide - columnSpacing : content.right();
            return QRect(right + 1 - buttonSide, middle - buttonSide / 2, buttonSide, buttonSide);
        }
        break;
    }
    return QRect();
}

RuleRowDelegate::Part RuleRowDelegate::partAt(const QPoint &position, const QRect &rowRect,
                                              const QModelIndex &index) const
{
    // A little slack around the small targets.
    for (const Part part : {Part::toggle, Part::update, Part::remove}) {
        if (partRect(part, rowRect, index).adjusted(-4, -6, 4, 6).contains(position))
            return part;
    }
    return Part::none;
}

void RuleRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const QRect rowRect = option.rect;
    const QRect content = contentRect(rowRect);
    const QPalette &palette = option.palette;
    painter->save();

    if (option.state & QStyle::State_Selected) {
        QColor tint = palette.color(QPalette::Highlight);
        tint.setAlphaF(0.14);
        painter->fillRect(rowRect.adjusted(RuleListView::cardInset + 1, separatorHeight,
                                           -RuleListView::cardInset - 1, 0),
                          tint);
    }
    // The separator above every row but the first, inset like the text.
    if (index.row() > 0)
        painter->fillRect(QRect(content.left(), rowRect.top(), content.width(), separatorHeight),
                          palette.color(QPalette::Midlight));

    const bool focused = (option.state & QStyle::State_HasFocus)
        && (option.state & QStyle::State_Active) && option.widget && option.widget->hasFocus();
    ToggleSwitch::paint(painter, partRect(Part::toggle, rowRect, index),
                        index.data(Qt::CheckStateRole).toInt() == Qt::Checked, m_switchColor,
                        palette, true, focused);

    const Lines rows = lines(rowRect, index);
    const QColor secondary = palette.color(QPalette::PlaceholderText);

    // First line: the name gives way first, then the note; the badge stays whole.
    const QString title = index.data(Qt::DisplayRole).toString();
    const QString note = text(index, RuleListModel::NoteRole);
    const QString badge = text(index, RuleListModel::BadgeRole);
    const QFontMetrics titleMetrics(m_look.title);
    const QFontMetrics noteMetrics(m_look.note);
    const QFontMetrics badgeMetrics(m_badgeFont);
    const int badgeWidth
        = badge.isEmpty() ? 0 : advance(m_badgeFont, badge) + 2 * badgePaddingX + firstLineSpacing;
    const int noteWidth = note.isEmpty() ? 0 : advance(m_look.note, note) + firstLineSpacing;
    // Rounded up: text exactly as wide as its rounded advance would elide.
    const int natural = advance(m_look.title, title);
    const int minimumTitle = std::min(natural, advance(m_look.title, u"MMM…"_s));
    const int titleWidth
        = std::clamp(rows.first.width() - noteWidth - badgeWidth, minimumTitle, natural);
    int x = rows.first.left();
    painter->setFont(m_look.title);
    painter->setPen(palette.color(QPalette::WindowText));
    painter->drawText(
        QRect(x, rows.first.top(), titleWidth, rows.first.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        titleWidth >= natural ? title : titleMetrics.elidedText(title, Qt::ElideRight, titleWidth));
    x += titleWidth;
    if (!note.isEmpty()) {
        const int shown = std::max(0, std::min(noteWidth, rows.first.right() + 1 - x - badgeWidth));
        painter->setFont(m_look.note);
        painter->setPen(secondary);
        painter->drawText(QRect(x + firstLineSpacing, rows.first.top(), shown - firstLineSpacing,
                                rows.first.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          shown >= noteWidth ? note
                                             : noteMetrics.elidedText(note, Qt::ElideRight,
                                                                      shown - firstLineSpacing));
        x += shown;
    }
    if (!badge.isEmpty()) {
        const int height = badgeMetrics.height() + 2 * badgePaddingY;
        const QRect tag(x + firstLineSpacing, rows.first.center().y() - height / 2 + 1,
                        badgeWidth - firstLineSpacing, height);
        QColor background = m_look.badge;
        background.setAlphaF(0.15);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(background);
        painter->drawRoundedRect(tag, badgeRadius, badgeRadius);
        painter->setFont(m_badgeFont);
        painter->setPen(m_look.badge);
        painter->drawText(tag, Qt::AlignCenter | Qt::TextSingleLine, badge);
    }

    const auto drawLine = [&](const QRect &line, const QFont &font, const QColor &color,
                              const QString &shown) {
        if (line.isEmpty())
            return;
        painter->setFont(font);
        painter->setPen(color);
        painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          advance(font, shown) <= line.width()
                              ? shown
                              : QFontMetrics(font).elidedText(shown, Qt::ElideRight, line.width()));
    };
    drawLine(rows.detail, m_look.detail, secondary, text(index, RuleListModel::DetailRole));
    drawLine(rows.status, m_look.note, secondary, text(index, RuleListModel::StatusRole));
    drawLine(rows.error, m_look.note, ViewStyle::red(), text(index, RuleListModel::ErrorRole));

    if (const QRect update = partRect(Part::update, rowRect, index); !update.isEmpty()) {
        // Dimmed while an update runs; a click then does nothing.
        if (index.data(RuleListModel::BusyRole).toBool())
            painter->setOpacity(0.35);
        painter->drawPixmap(update,
                            SymbolIcon::pixmap(u"arrow.clockwise"_s,
                                               palette.color(QPalette::WindowText), buttonSide));
        painter->setOpacity(1.0);
    }
    if (const QRect remove = partRect(Part::remove, rowRect, index); !remove.isEmpty())
        painter->drawPixmap(remove, SymbolIcon::pixmap(u"trash"_s, ViewStyle::red(), buttonSide));
    painter->restore();
}

bool RuleRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                  const QStyleOptionViewItem &option, const QModelIndex &index)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Taken, so that pressing a control does not also select the row.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        return partAt(mouse->position().toPoint(), option.rect, index) != Part::none;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const Part part = partAt(mouse->position().toPoint(), option.rect, index);
        trigger(part, model, index);
        return part != Part::none;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Select) {
            trigger(Part::toggle, model, index);
            return true;
        }
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace)
            && index.data(RuleListModel::RemovableRole).toBool()) {
            trigger(Part::remove, model, index);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void RuleRowDelegate::trigger(Part part, QAbstractItemModel *model, const QModelIndex &index)
{
    const QUuid id = index.data(RuleListModel::IdRole).toUuid();
    switch (part) {
    case Part::none:
        break;
    case Part::toggle:
        model->setData(index,
                       index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked
                                                                             : Qt::Checked,
                       Qt::CheckStateRole);
        break;
    case Part::update:
        if (!index.data(RuleListModel::BusyRole).toBool())
            Q_EMIT updateRequested(id);
        break;
    case Part::remove:
        Q_EMIT removeRequested(id);
        break;
    }
}

bool RuleRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                const QStyleOptionViewItem &option, const QModelIndex &index)
{
    switch (partAt(event->pos(), option.rect, index)) {
    case Part::remove:
        QToolTip::showText(event->globalPos(), u"削除"_s, view);
        return true;
    case Part::update:
        QToolTip::showText(event->globalPos(), u"今すぐ更新"_s, view);
        return true;
    case Part::toggle:
    case Part::none:
        break;
    }
    QToolTip::hideText();
    event->ignore();
    return false;
}
