#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

#include <functional>

// What the certified shop, excluded pattern and subscription lists have in
// common as item models: one row per record, known by its id, and the same
// roles, so one delegate paints them all. Rows are only described here;
// views make nothing for rows they do not show, so a list of any length
// costs what its visible rows do.
//
// The checked state is the record's switch; setting it and removing rows go
// to the store that owns the records. When the store's list changes, rows
// that kept their place stay (a switch flip repaints, a removal removes one
// row), so views keep their scroll position and selection.
class RuleListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        // Text after the name on the first line ("(家電)").
        NoteRole,
        // The tag after the first line ("カスタム"); empty for none.
        BadgeRole,
        // The second line (domain, reason, address).
        DetailRole,
        // Optional third line, and a fourth for a problem.
        StatusRole,
        ErrorRole,
        RemovableRole,
        UpdatableRole,
        // An update is running.
        BusyRole,
        // What a details view lists about the record, one item a line.
        ProblemsRole,
    };

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

    QModelIndex indexOf(const QUuid &id) const;

protected:
    explicit RuleListModel(QObject *parent);

    // Shows rows with these ids from now on. assign() makes the model's data
    // the new rows; it runs between the begin and end calls that tell the
    // views.
    void showRows(const QList<QUuid> &ids, const std::function<void()> &assign);
    const QList<QUuid> &ids() const { return m_ids; }
    // Whether index is a row of this model.
    bool isRow(const QModelIndex &index) const;
    // The row's id, or a null id for an index of another model.
    QUuid idAt(const QModelIndex &index) const;

private:
    QList<QUuid> m_ids;
};
