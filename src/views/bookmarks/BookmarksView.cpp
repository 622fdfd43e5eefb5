#include "views/bookmarks/BookmarksView.h"

#include "bookmarks/BookmarkStore.h"
#include "safety/WebAddress.h"
#include "theme/ThemeManager.h"
#include "views/bookmarks/BookmarkRow.h"
#include "views/common/InsetList.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int defaultPadding = 16;

} // namespace

BookmarksView::BookmarksView(BookmarkStore &store, ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_themeManager(themeManager)
    , m_filterField(new QLineEdit)
    , m_content(new QStackedWidget)
    , m_emptyState(new QWidget)
    , m_emptyIcon(new QLabel)
    , m_list(new InsetList)
{
    setObjectName(QStringLiteral("bookmarksView"));
    buildEmptyState();

    auto *heading = new QLabel(QStringLiteral("⭐ 保存した商品・ショップ"));
    heading->setObjectName(QStringLiteral("bookmarksHeading"));
    heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    m_filterField->setObjectName(QStringLiteral("bookmarkFilterField"));
    m_filterField->setPlaceholderText(QStringLiteral("ブックマーク内を検索..."));
    m_filterField->setFixedWidth(200);
    m_filterField->setClearButtonEnabled(true);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(defaultPadding, defaultPadding, defaultPadding, defaultPadding);
    header->addWidget(heading);
    header->addStretch(1);
    header->addWidget(m_filterField);

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    m_list->setObjectName(QStringLiteral("bookmarkList"));
    m_content->addWidget(m_emptyState);
    m_content->addWidget(m_list);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(divider);
    layout->addWidget(m_content, 1);

    connect(m_filterField, &QLineEdit::textChanged, this, &BookmarksView::refresh);
    connect(&m_store, &BookmarkStore::bookmarksChanged, this, &BookmarksView::refresh);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &BookmarksView::applyTheme);
    refresh();
}

void BookmarksView::buildEmptyState()
{
    QWidget *page = m_emptyState;
    page->setObjectName(QStringLiteral("bookmarksEmptyState"));

    m_emptyIcon->setObjectName(QStringLiteral("bookmarksEmptyIcon"));
    m_emptyIcon->setAlignment(Qt::AlignCenter);

    auto *title = new QLabel(QStringLiteral("ブックマークはまだありません"));
    title->setObjectName(QStringLiteral("bookmarksEmptyTitle"));
    title->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));
    title->setForegroundRole(QPalette::PlaceholderText);
    title->setAlignment(Qt::AlignCenter);

    auto *hint = new QLabel(QStringLiteral(
        "ブラウザ画面のツールバーにある「☆ ブックマーク追加」ボタンから保存できます。"));
    hint->setObjectName(QStringLiteral("bookmarksEmptyHint"));
    hint->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    hint->setForegroundRole(QPalette::PlaceholderText);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);

    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(m_emptyIcon);
    layout->addWidget(title);
    layout->addWidget(hint);
    layout->addStretch(1);
}

QString BookmarksView::filterQuery() const
{
    return m_filterField->text();
}

bool BookmarksView::matchesQuery(const ShoppingBookmark &bookmark, const QString &query)
{
    if (query.isEmpty())
        return true;
    // Lower-casing by the user's locale first handles the language-dependent
    // pairs; the case-insensitive compare then folds what remains.
    const QLocale locale;
    const QString needle = locale.toLower(query);
    for (const QString *field : {&bookmark.title, &bookmark.shopName, &bookmark.notes}) {
        if (locale.toLower(*field).contains(needle, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QList<ShoppingBookmark> BookmarksView::filteredBookmarks() const
{
    const QString query = filterQuery();
    QList<ShoppingBookmark> result;
    for (const ShoppingBookmark &bookmark : m_store.bookmarks()) {
        if (matchesQuery(bookmark, query))
            result.append(bookmark);
    }
    return result;
}

void BookmarksView::refresh()
{
    // The empty state depends on the whole list: a filter that matches
    // nothing shows an empty list instead.
    if (m_store.bookmarks().isEmpty()) {
        m_list->setRows({});
        m_content->setCurrentWidget(m_emptyState);
        applyTheme();
        return;
    }

    QList<QWidget *> rows;
    for (const ShoppingBookmark &bookmark : filteredBookmarks()) {
        auto *row = new BookmarkRow(bookmark);
        connect(row, &BookmarkRow::openRequested, this, [this](const QString &address) {
            if (const std::optional<QUrl> url = WebAddress::parse(address))
                Q_EMIT bookmarkSelected(*url);
        });
        connect(row, &BookmarkRow::removeRequested, this,
                [this](const QUuid &id) { m_store.removeBookmark(id); });
        rows.append(row);
    }
    m_list->setRows(rows);
    m_content->setCurrentWidget(m_list);
    applyTheme();
}

void BookmarksView::applyTheme()
{
    const AppTheme theme = m_themeManager.currentTheme();
    for (QWidget *row : m_list->rows())
        static_cast<BookmarkRow *>(row)->setThemeColors(accentColor(theme), backgroundTint(theme));
    m_emptyIcon->setPixmap(
        SymbolIcon::pixmap(QStringLiteral("bookmark.slash"), ViewStyle::secondaryText(this), 48));
}

void BookmarksView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The symbol is painted into a pixmap, so a new palette needs a new one.
    if (event->type() == QEvent::PaletteChange)
        applyTheme();
}
