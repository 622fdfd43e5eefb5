#pragma once

#include <QStyledItemDelegate>

// Draws the history list in the look of the bookmark list: each day's title
// in small secondary text above a rounded card of that day's visits. A visit
// row shows the verdict it was shown with, the time, the title and address,
// and a delete button; a click on the row opens it, on the button deletes it.
// Painted, not made of widgets, so that a long history costs nothing more
// than the rows on screen.
class HistoryItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int dayHeight = 34;
    static constexpr int visitHeight = 52;
    static constexpr int cardInset = 10;
    static constexpr int rowInset = 12;
    static constexpr int removeButtonSize = 28;

    using QStyledItemDelegate::QStyledItemDelegate;

    // Where a visit row's delete button is, within the row's rectangle.
    static QRect removeButtonRect(const QRect &rowRect);
    // The symbol a stored verdict kind is drawn with, and its colour.
    static QString verdictSymbol(const QString &verdict);
    static QColor verdictColor(const QString &verdict, const QPalette &palette);
    // A visit's title line and address line as drawn: the address as the
    // toolbar shows it, so a look-alike host reads as its punycode here too,
    // in place of a missing title as well.
    static QString shownTitle(const QModelIndex &visit);
    static QString shownAddress(const QModelIndex &visit);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

Q_SIGNALS:
    // Reported on the next turn of the event loop: the row may go at once,
    // and the view is still handling the click.
    void openRequested(const QUrl &url);
    void removeRequested(qint64 visitId);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    void paintDay(QPainter *painter, const QStyleOptionViewItem &option,
                  const QModelIndex &index) const;
    void paintVisit(QPainter *painter, const QStyleOptionViewItem &option,
                    const QModelIndex &index) const;

    // The second click of a double click lands on whatever row took the
    // place of a deleted one; it must not delete that row too.
    quint64 m_lastClickTimestamp = 0;
};
