#pragma once

#include <QList>
#include <QScrollArea>

class QFrame;
class QVBoxLayout;

// A scrolling list of rows on a rounded card inset from the edges, with thin
// separators between rows (the "inset" list look). An empty list shows no
// card at all.
class InsetList final : public QScrollArea
{
    Q_OBJECT

public:
    explicit InsetList(QWidget *parent = nullptr);

    // Shows exactly these rows, in this order, and takes ownership of them.
    // Rows of the previous set that are not passed again are deleted later,
    // so a row may replace itself from inside one of its own signals.
    void setRows(const QList<QWidget *> &rows);
    int rowCount() const { return int(m_rows.size()); }
    QWidget *rowAt(int index) const { return m_rows.value(index); }
    const QList<QWidget *> &rows() const { return m_rows; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *m_card;
    QVBoxLayout *m_cardLayout;
    QList<QWidget *> m_rows;
    QList<QWidget *> m_separators;
};
