#include "views/history/HistoryView.h"

#include "history/HistoryModel.h"
#include "history/HistoryStore.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"
#include "views/history/HistoryItemDelegate.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int defaultPadding = 16;

// The tree view asks for more rows whenever it lays itself out and for each
// day it opens, which would read the history page after page while nobody
// scrolls. Here the list itself asks, when it is scrolled near its end.
class FetchedByTheListOnly final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    bool canFetchMore(const QModelIndex &) const override { return false; }
    void fetchMore(const QModelIndex &) override { }
};

} // namespace

HistoryView::HistoryView(HistoryStore &store, ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_themeManager(themeManager)
    , m_model(new HistoryModel(store, this))
    , m_headingSymbol(new QLabel)
    , m_searchField(new QLineEdit)
    , m_clearButton(new QPushButton(QStringLiteral("履歴を消去")))
    , m_content(new QStackedWidget)
    , m_emptyState(new QWidget)
    , m_emptyIcon(new QLabel)
    , m_emptyTitle(new QLabel)
    , m_emptyHint(new QLabel)
    , m_list(new QTreeView)
    , m_delegate(new HistoryItemDelegate(this))
{
    setObjectName(QStringLiteral("historyView"));
    buildEmptyState();

    m_headingSymbol->setObjectName(QStringLiteral("historyHeadingSymbol"));
    auto *heading = new QLabel(QStringLiteral("閲覧履歴"));
    heading->setObjectName(QStringLiteral("historyHeading"));
    heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    m_searchField->setObjectName(QStringLiteral("historySearchField"));
    m_searchField->setPlaceholderText(QStringLiteral("履歴を検索..."));
    m_searchField->setToolTip(QStringLiteral("ページのタイトルとアドレスから検索します"));
    m_searchField->setFixedWidth(200);
    m_searchField->setClearButtonEnabled(true);

    m_clearButton->setObjectName(QStringLiteral("historyClearButton"));
    m_clearButton->setAutoDefault(false);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(defaultPadding, defaultPadding, defaultPadding, defaultPadding);
    header->setSpacing(8);
    header->addWidget(m_headingSymbol);
    header->addWidget(heading);
    header->addStretch(1);
    header->addWidget(m_searchField);
    header->addWidget(m_clearButton);

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    m_list->setObjectName(QStringLiteral("historyList"));
    auto *paged = new FetchedByTheListOnly(this);
    paged->setSourceModel(m_model);
    m_list->setModel(paged);
    m_list->setItemDelegate(m_delegate);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setExpandsOnDoubleClick(false);
    m_list->setIndentation(0);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMouseTracking(true);
    m_list->setAttribute(Qt::WA_Hover);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    // The window background shows around the day cards, as around the
    // bookmark list's card.
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);

    auto *removeAction = new QAction(QStringLiteral("削除"), m_list);
    removeAction->setObjectName(QStringLiteral("historyRemoveAction"));
    removeAction->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    removeAction->setShortcutContext(Qt::WidgetShortcut);
    m_list->addAction(removeAction);

    m_content->addWidget(m_emptyState);
    m_content->addWidget(m_list);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(divider);
    layout->addWidget(m_content, 1);

    connect(m_searchField, &QLineEdit::textChanged, m_model, &HistoryModel::setSearchText);
    connect(m_clearButton, &QPushButton::clicked, this, &HistoryView::showClearConfirmation);
    connect(m_delegate, &HistoryItemDelegate::openRequested, this, &HistoryView::visitSelected);
    connect(m_delegate, &HistoryItemDelegate::removeRequested, this, &HistoryView::removeVisit);
    connect(m_list, &QTreeView::activated, this, &HistoryView::openCurrent);
    connect(removeAction, &QAction::triggered, this, &HistoryView::removeCurrent);
    connect(paged, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid())
                    expandDays(first, last);
                updateContent();
            });
    connect(paged, &QAbstractItemModel::rowsRemoved, this, &HistoryView::updateContent);
    connect(paged, &QAbstractItemModel::modelReset, this, [this] {
        m_list->expandAll();
        updateContent();
    });
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &HistoryView::applyTheme);
    // Queued: the bar changes while the list lays itself out.
    const QScrollBar *bar = m_list->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &HistoryView::fetchMoreNearEnd,
            Qt::QueuedConnection);
    connect(bar, &QScrollBar::rangeChanged, this, &HistoryView::fetchMoreNearEnd,
            Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &HistoryView::fetchMoreNearEnd, Qt::QueuedConnection);

    m_list->expandAll();
    updateContent();
    applyTheme();
}

void HistoryView::buildEmptyState()
{
    QWidget *page = m_emptyState;
    page->setObjectName(QStringLiteral("historyEmptyState"));

    m_emptyIcon->setObjectName(QStringLiteral("historyEmptyIcon"));
    m_emptyIcon->setAlignment(Qt::AlignCenter);

    m_emptyTitle->setObjectName(QStringLiteral("historyEmptyTitle"));
    m_emptyTitle->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));
    m_emptyTitle->setForegroundRole(QPalette::PlaceholderText);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    m_emptyTitle->setTextFormat(Qt::PlainText);

    m_emptyHint->setObjectName(QStringLiteral("historyEmptyHint"));
    m_emptyHint->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_emptyHint->setForegroundRole(QPalette::PlaceholderText);
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setWordWrap(true);

    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(m_emptyIcon);
    layout->addWidget(m_emptyTitle);
    layout->addWidget(m_emptyHint);
    layout->addStretch(1);
}

QString HistoryView::searchText() const
{
    return m_searchField->text();
}

bool HistoryView::isShowingEmptyState() const
{
    return m_content->currentWidget() == m_emptyState;
}

void HistoryView::expandDays(int first, int last)
{
    QAbstractItemModel *rows = m_list->model();
    for (int row = first; row <= last; ++row)
        m_list->setExpanded(rows->index(row, 0), true);
}

void HistoryView::fetchMoreNearEnd()
{
    // Within a screen of the end, or the list does not fill the screen yet.
    const QScrollBar *bar = m_list->verticalScrollBar();
    if (bar->maximum() - bar->value() > m_list->viewport()->height() || !m_model->canFetchMore({}))
        return;
    m_model->fetchMore({});
    // Rows that still leave the list short of its end change no range.
    QMetaObject::invokeMethod(this, &HistoryView::fetchMoreNearEnd, Qt::QueuedConnection);
}

void HistoryView::updateContent()
{
    const bool empty = m_model->rowCount() == 0;
    if (!empty) {
        m_content->setCurrentWidget(m_list);
        m_clearButton->setEnabled(true);
        return;
    }
    // A search that finds nothing says so; the history itself may be full.
    if (searchText().isEmpty()) {
        m_emptyTitle->setText(QStringLiteral("履歴はまだありません"));
        m_emptyHint->setText(
            QStringLiteral("通常のウインドウで表示したページが、日付ごとにここに記録されます。"));
    } else {
        m_emptyTitle->setText(QStringLiteral("「%1」に一致する履歴はありません").arg(searchText()));
        m_emptyHint->setText(QStringLiteral("ページのタイトルやアドレスの一部で検索できます。"));
    }
    m_clearButton->setEnabled(!searchText().isEmpty() || m_store.visitCount() > 0);
    m_content->setCurrentWidget(m_emptyState);
}

void HistoryView::openCurrent()
{
    const QModelIndex index = m_list->currentIndex();
    if (index.isValid() && index.parent().isValid())
        Q_EMIT visitSelected(index.data(HistoryModel::UrlRole).toUrl());
}

void HistoryView::removeCurrent()
{
    const QModelIndex index = m_list->currentIndex();
    if (index.isValid() && index.parent().isValid())
        removeVisit(index.data(HistoryModel::VisitIdRole).toLongLong());
}

void HistoryView::removeVisit(qint64 id)
{
    m_store.removeVisit(id);
}

void HistoryView::showClearConfirmation()
{
    if (m_confirmation)
        return;
    m_confirmation = new QMessageBox(this);
    m_confirmation->setObjectName(QStringLiteral("historyClearConfirmation"));
    m_confirmation->setAttribute(Qt::WA_DeleteOnClose);
    m_confirmation->setWindowModality(Qt::WindowModal);
    m_confirmation->setIcon(QMessageBox::Warning);
    m_confirmation->setWindowTitle(QStringLiteral("閲覧履歴をすべて消去しますか？"));
    m_confirmation->setText(QStringLiteral("閲覧履歴をすべて消去しますか？"));
    m_confirmation->setInformativeText(
        QStringLiteral("すべての期間の閲覧履歴が削除されます。この操作は取り消せません。"));
    QPushButton *clear
        = m_confirmation->addButton(QStringLiteral("消去する"), QMessageBox::DestructiveRole);
    clear->setObjectName(QStringLiteral("historyClearConfirmButton"));
    QPushButton *cancel
        = m_confirmation->addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("historyClearCancelButton"));
    // A stray Return must not wipe the history.
    m_confirmation->setDefaultButton(cancel);
    m_confirmation->setEscapeButton(cancel);

    connect(m_confirmation, &QMessageBox::buttonClicked, this,
            [this, clear](QAbstractButton *button) {
                if (button != clear || m_store.clearAll())
                    return;
                auto *failure = new QMessageBox(
                    QMessageBox::Warning, QStringLiteral("履歴を消去できませんでした"),
                    QStringLiteral("履歴を消去できませんでした。"), QMessageBox::Ok, this);
                failure->setAttribute(Qt::WA_DeleteOnClose);
                failure->open();
            });
    connect(m_confirmation, &QObject::destroyed, this, [this] { m_confirmation = nullptr; });
    m_confirmation->open();
}

void HistoryView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Symbols are painted into pixmaps, so a new palette needs new ones.
    if (event->type() == QEvent::PaletteChange)
        applyTheme();
}

void HistoryView::applyTheme()
{
    m_headingSymbol->setPixmap(SymbolIcon::pixmap(QStringLiteral("clock.arrow.circlepath"),
                                                  accentColor(m_themeManager.currentTheme()), 18));
    m_emptyIcon->setPixmap(SymbolIcon::pixmap(QStringLiteral("clock.badge.xmark"),
                                              ViewStyle::secondaryText(this), 48));
    ViewStyle::makeBordered(m_clearButton, palette());
}
