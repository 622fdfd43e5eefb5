#include "window/SidebarView.h"

#include "window/SidebarItemDelegate.h"

#include <QEvent>

SidebarView::SidebarView(QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("sidebar"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setItemDelegate(new SidebarItemDelegate(this));
    viewport()->setAutoFillBackground(true);
    setMinimumWidth(minimumColumnWidth);
    setMaximumWidth(maximumColumnWidth);

    QTreeWidgetItem *group = nullptr;
    QString groupText;
    const QList<NavigationSection> sections = allNavigationSections();
    for (NavigationSection section : sections) {
        if (!group || groupTitle(section) != groupText) {
            groupText = groupTitle(section);
            group = new QTreeWidgetItem(this, {groupText});
            group->setFlags(Qt::ItemIsEnabled);
            group->setData(0, SidebarItemDelegate::headerRole, true);
        }
        auto *item = new QTreeWidgetItem(group, {title(section)});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(0, SidebarItemDelegate::symbolRole, iconName(section));
        item->setData(0, SidebarItemDelegate::sectionRole, int(section));
        item->setToolTip(0, title(section));
    }
    expandAll();

    connect(this, &QTreeWidget::itemSelectionChanged, this, &SidebarView::onSelectionChanged);
    updateBackground();
}

void SidebarView::changeEvent(QEvent *event)
{
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        updateBackground();
}

QItemSelectionModel::SelectionFlags SidebarView::selectionCommand(const QModelIndex &index,
                                                                  const QEvent *event) const
{
    // A click on a group header is no choice: it must not clear the row the
    // user is on.
    if (index.data(SidebarItemDelegate::headerRole).toBool())
        return QItemSelectionModel::NoUpdate;
    return QTreeWidget::selectionCommand(index, event);
}

void SidebarView::updateBackground()
{
    // A shade off the window colour, so the sidebar reads as its own column
    // in light and dark palettes alike.
    const QColor window = palette().color(QPalette::Window);
    QPalette shaded = viewport()->palette();
    shaded.setColor(QPalette::Base,
                    window.lightness() > 128 ? window.darker(104) : window.lighter(118));
    viewport()->setPalette(shaded);
}

QTreeWidgetItem *SidebarView::itemFor(NavigationSection section) const
{
    for (int g = 0; g < topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = topLevelItem(g);
        for (int r = 0; r < group->childCount(); ++r) {
            QTreeWidgetItem *item = group->child(r);
            if (item->data(0, SidebarItemDelegate::sectionRole).toInt() == int(section))
                return item;
        }
    }
    return nullptr;
}

std::optional<NavigationSection> SidebarView::selectedSection() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    const QVariant value = items.first()->data(0, SidebarItemDelegate::sectionRole);
    if (!value.isValid())
        return std::nullopt;
    return NavigationSection(value.toInt());
}

void SidebarView::setSelectedSection(std::optional<NavigationSection> section)
{
    m_updatingSelection = true;
    if (section) {
        QTreeWidgetItem *item = itemFor(*section);
        setCurrentItem(item);
        item->setSelected(true);
    } else {
        clearSelection();
    }
    m_updatingSelection = false;
}

void SidebarView::setBookmarkCount(int count)
{
    QTreeWidgetItem *item = itemFor(NavigationSection::bookmarks);
    item->setData(0, SidebarItemDelegate::badgeRole,
                  count > 0 ? QString::number(count) : QString());
}

QString SidebarView::badgeText(NavigationSection section) const
{
    return itemFor(section)->data(0, SidebarItemDelegate::badgeRole).toString();
}

QSize SidebarView::sizeHint() const
{
    return QSize(idealColumnWidth, QTreeWidget::sizeHint().height());
}

void SidebarView::onSelectionChanged()
{
    if (m_updatingSelection)
        return;
    if (const auto section = selectedSection())
        Q_EMIT sectionSelected(*section);
    else
        Q_EMIT selectionCleared();
}
