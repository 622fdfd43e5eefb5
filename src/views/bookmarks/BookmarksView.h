#pragma once

#include "bookmarks/ShoppingBookmark.h"

#include <QList>
#include <QUrl>
#include <QWidget>

class BookmarkStore;
class InsetList;
class QLabel;
class QLineEdit;
class QStackedWidget;
class ThemeManager;

// The saved pages of the window: a filter field, then the list or the empty
// state. Opening a row is reported through bookmarkSelected.
class BookmarksView final : public QWidget
{
    Q_OBJECT

public:
    explicit BookmarksView(BookmarkStore &store, ThemeManager &themeManager,
                           QWidget *parent = nullptr);

    QString filterQuery() const;
    // The bookmarks that match the filter, in store order.
    QList<ShoppingBookmark> filteredBookmarks() const;
    static bool matchesQuery(const ShoppingBookmark &bookmark, const QString &query);

Q_SIGNALS:
    // Only for a stored address that parses; the text of one that does not
    // would open nothing the user could recognise.
    void bookmarkSelected(const QUrl &url);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildEmptyState();
    void refresh();
    void applyTheme();

    BookmarkStore &m_store;
    ThemeManager &m_themeManager;
    QLineEdit *m_filterField;
    QStackedWidget *m_content;
    QWidget *m_emptyState;
    QLabel *m_emptyIcon;
    InsetList *m_list;
};
