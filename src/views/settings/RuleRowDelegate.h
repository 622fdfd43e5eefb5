#pragma once

#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>
#include <QUuid>

// Paints a row of a rule list model the way the settings lists show their
// rules: the switch on the left; the name, a note and the badge on the first
// line, the detail below, then a status line and an error where the model
// gives them; an update and a delete button on the right where the row
// allows them. Nothing is made per row: a click is matched against where
// the parts are painted.
class RuleRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Look
    {
        QFont title;
        QFont note;
        QFont detail;
        QColor badge;
    };
    enum class Part { none, toggle, update, remove };

    explicit RuleRowDelegate(const Look &look, QObject *parent = nullptr);

    void setSwitchColor(const QColor &color);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // Where a part of the row painted in rowRect sits; empty when the row
    // has no such part.
    QRect partRect(Part part, const QRect &rowRect, const QModelIndex &index) const;
    Part partAt(const QPoint &position, const QRect &rowRect, const QModelIndex &index) const;

Q_SIGNALS:
    // By id: the row may be gone by the time the receiver acts.
    void removeRequested(const QUuid &id);
    void updateRequested(const QUuid &id);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    struct Lines;
    Lines lines(const QRect &rowRect, const QModelIndex &index) const;
    void trigger(Part part, QAbstractItemModel *model, const QModelIndex &index);

    Look m_look;
    QFont m_badgeFont;
    QColor m_switchColor;
};
