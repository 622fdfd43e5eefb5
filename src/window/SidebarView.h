#pragma once

#include "window/NavigationSection.h"

#include <QTreeWidget>

#include <optional>

// The window's sidebar: the sections in three titled groups, one selectable
// row each, the bookmarks row with a count badge.
class SidebarView final : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int minimumColumnWidth = 180;
    static constexpr int idealColumnWidth = 200;
    static constexpr int maximumColumnWidth = 240;

    explicit SidebarView(QWidget *parent = nullptr);

    std::optional<NavigationSection> selectedSection() const;
    // Selects the row without reporting it as the user's choice.
    void setSelectedSection(std::optional<NavigationSection> section);
    // No badge at zero.
    void setBookmarkCount(int count);
    QString badgeText(NavigationSection section) const;
    QTreeWidgetItem *itemFor(NavigationSection section) const;

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;

Q_SIGNALS:
    // The user picked a row.
    void sectionSelected(NavigationSection section);
    // The user cleared the selection (Ctrl+click on the selected row).
    void selectionCleared();

private:
    void onSelectionChanged();
    void updateBackground();

    bool m_updatingSelection = false;
};
