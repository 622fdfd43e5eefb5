#include "views/bookmarks/BookmarkRow.h"

#include "views/common/ElidedLabel.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

BookmarkRow::BookmarkRow(const ShoppingBookmark &bookmark, QWidget *parent)
    : QWidget(parent)
    , m_bookmark(bookmark)
    , m_titleLabel(new ElidedLabel(bookmark.title))
    , m_shopBadge(new QLabel(bookmark.shopName))
    , m_urlLabel(new ElidedLabel(bookmark.url))
    , m_notesLabel(new QLabel(QStringLiteral("📝 ") + bookmark.notes))
    , m_openButton(new QPushButton(QStringLiteral("開く")))
    , m_deleteButton(new QToolButton)
{
    setObjectName(QStringLiteral("bookmarkRow"));

    m_titleLabel->setObjectName(QStringLiteral("bookmarkTitleLabel"));
    m_titleLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold));

    m_shopBadge->setObjectName(QStringLiteral("bookmarkShopBadge"));
    m_shopBadge->setTextFormat(Qt::PlainText);
    m_shopBadge->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_shopBadge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_shopBadge->setVisible(!bookmark.shopName.isEmpty());

    m_urlLabel->setObjectName(QStringLiteral("bookmarkUrlLabel"));
    m_urlLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_urlLabel->setForegroundRole(QPalette::PlaceholderText);

    m_notesLabel->setObjectName(QStringLiteral("bookmarkNotesLabel"));
    m_notesLabel->setTextFormat(Qt::PlainText);
    m_notesLabel->setWordWrap(true);
    m_notesLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption2));
    m_notesLabel->setForegroundRole(QPalette::PlaceholderText);
    m_notesLabel->setVisible(!bookmark.notes.isEmpty());

    m_openButton->setObjectName(QStringLiteral("bookmarkOpenButton"));
    m_openButton->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline, QFont::Bold));
    m_openButton->setAutoDefault(false);
    m_openButton->setCursor(Qt::PointingHandCursor);

    m_deleteButton->setObjectName(QStringLiteral("bookmarkDeleteButton"));
    m_deleteButton->setIconSize(QSize(18, 18));
    m_deleteButton->setToolTip(QStringLiteral("削除"));
    ViewStyle::makePlain(m_deleteButton);
    // The symbol is red at 80 % opacity.
    m_deleteButton->setIcon([] {
        QColor red = ViewStyle::red();
        red.setAlphaF(0.8);
        return SymbolIcon::icon(QStringLiteral("trash"), red, 18);
    }());

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    titleRow->addWidget(m_titleLabel, 0);
    titleRow->addWidget(m_shopBadge, 0);
    titleRow->addStretch(1);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addLayout(titleRow);
    texts->addWidget(m_urlLabel);
    texts->addWidget(m_notesLabel);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 6);
    layout->setSpacing(12);
    layout->addLayout(texts, 1);
    layout->addWidget(m_openButton, 0, Qt::AlignVCenter);
    layout->addWidget(m_deleteButton, 0, Qt::AlignVCenter);

    connect(m_openButton, &QPushButton::clicked, this,
            [this] { Q_EMIT openRequested(m_bookmark.url); });
    connect(m_deleteButton, &QToolButton::clicked, this,
            [this] { Q_EMIT removeRequested(m_bookmark.id); });
}

void BookmarkRow::setThemeColors(const QColor &accent, const QColor &tint)
{
    ViewStyle::makeBadge(m_shopBadge, tint, accent, 4, 6, 2);
    ViewStyle::makeProminent(m_openButton, accent, 10, 4);
}
