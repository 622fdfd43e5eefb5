#pragma once

#include <QStyledItemDelegate>

// Draws the sidebar rows the way a desktop sidebar looks: group headers in
// small secondary text, section rows with an accent-coloured symbol, a
// rounded selection and, where a row has one, a count badge on the right.
class SidebarItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Role {
        symbolRole = Qt::UserRole + 1, // SF Symbols name of the row's icon
        badgeRole, // text of the count badge; empty = no badge
        headerRole, // true for a group header
        sectionRole, // the NavigationSection (as int) of a row
    };
    static constexpr int rowHeight = 28;
    static constexpr int headerHeight = 26;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
