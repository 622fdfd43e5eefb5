#include "views/BookmarksView.h"

#include "bookmarks/BookmarkStore.h"
#include "theme/ThemeManager.h"

BookmarksView::BookmarksView(BookmarkStore &store, ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_themeManager(themeManager)
{
    setObjectName(QStringLiteral("bookmarksView"));
}
