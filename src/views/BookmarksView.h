#pragma once

#include <QWidget>

class BookmarkStore;
class ThemeManager;

// The saved pages of the window: a filter field, then the list or the empty
// state. Opening a row is reported through bookmarkSelected.
class BookmarksView final : public QWidget
{
    Q_OBJECT

public:
    explicit BookmarksView(BookmarkStore &store, ThemeManager &themeManager,
                           QWidget *parent = nullptr);

Q_SIGNALS:
    void bookmarkSelected(const QString &url);

private:
    BookmarkStore &m_store;
    ThemeManager &m_themeManager;
};
