#pragma once

#include "bookmarks/ShoppingBookmark.h"

#include <QColor>
#include <QWidget>

class ElidedLabel;
class QLabel;
class QPushButton;
class QToolButton;

// One saved page in the bookmark list: title with the shop badge, address,
// notes, and the open and delete buttons.
class BookmarkRow final : public QWidget
{
    Q_OBJECT

public:
    explicit BookmarkRow(const ShoppingBookmark &bookmark, QWidget *parent = nullptr);

    const ShoppingBookmark &bookmark() const { return m_bookmark; }
    // Badge and open button follow the theme's colours.
    void setThemeColors(const QColor &accent, const QColor &tint);

Q_SIGNALS:
    void openRequested(const QString &url);
    void removeRequested(const QUuid &id);

private:
    ShoppingBookmark m_bookmark;
    ElidedLabel *m_titleLabel;
    QLabel *m_shopBadge;
    ElidedLabel *m_urlLabel;
    QLabel *m_notesLabel;
    QPushButton *m_openButton;
    QToolButton *m_deleteButton;
};
