#include "views/browser/PageWebView.h"

#include "browser/BrowserViewModel.h"
#include "browser/JavaScriptDialogRelay.h"
#include "browser/ScreeningWebPage.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "views/browser/JavaScriptDialog.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QWebEngineContextMenuRequest>

namespace {

// Links the menu can open or save: the pages of sites. A javascript: link
// would run the page's script, and data: or file: pages are refused as
// top-level pages anyway.
bool isWebLink(const QUrl &url)
{
    return url.isValid()
        && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

QString searchLabel(const QString &selection)
{
    QString shown = selection;
    if (shown.size() > PageWebView::maxSearchLabelLength)
        shown = shown.first(PageWebView::maxSearchLabelLength) + QStringLiteral("…");
    return QStringLiteral("「%1」を検索").arg(shown);
}

QAction *addPageAction(QMenu *menu, QWebEnginePage *page, QWebEnginePage::WebAction action,
                       const QString &objectName)
{
    QAction *pageAction = page->action(action);
    pageAction->setObjectName(objectName);
    menu->addAction(pageAction);
    return pageAction;
}

} // namespace

PageWebView::PageWebView(BrowserViewModel &viewModel, SecurityRuleStore &ruleStore, QWidget *parent)
    : QWebEngineView(parent)
    , m_viewModel(viewModel)
    , m_ruleStore(ruleStore)
{ }

void PageWebView::attachPage(QWebEnginePage *page)
{
    setPage(page);
    if (auto *screening = qobject_cast<ScreeningWebPage *>(page)) {
        // A page out of sight is not heard: its dialog would stand over
        // another tab's page ("カード情報を再入力してください" over a real
        // shop). Unanswered, an alert is closed and a question declined.
        connect(&screening->dialogRelay(), &JavaScriptDialogRelay::dialogRequested, this,
                [this](JavaScriptDialogRequest &request) {
                    // Text the user typed is worth the switch; nothing else a
                    // hidden page says is.
                    if (!isVisible() && request.kind == JavaScriptDialogRequest::Kind::leavePage)
                        Q_EMIT frontWanted();
                    if (isVisible())
                        JavaScriptDialog::ask(request, this);
                });
    }
}

QMenu *PageWebView::contextMenu() const
{
    return m_contextMenu;
}

void PageWebView::contextMenuEvent(QContextMenuEvent *event)
{
    const QWebEngineContextMenuRequest *request = lastContextMenuRequest();
    if (!request || !page())
        return;
    delete m_contextMenu;
    QMenu *menu = buildContextMenu(*request);
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_contextMenu = menu;
    menu->popup(event->globalPos());
}

QMenu *PageWebView::buildContextMenu(const QWebEngineContextMenuRequest &request)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("pageContextMenu"));
    menu->setAttribute(Qt::WA_WindowPropagation); // the window's theme, not the desktop's
    QWebEnginePage *shown = page();

    const QUrl link = request.linkUrl();
    if (isWebLink(link))
        addLinkActions(menu, link);

    // A product photo: saved (through the downloads' own screening), copied,
    // or its address copied.
    if (request.mediaType() == QWebEngineContextMenuRequest::MediaTypeImage
        && request.mediaUrl().isValid()) {
        menu->addSeparator();
        addPageAction(menu, shown, QWebEnginePage::DownloadImageToDisk,
                      QStringLiteral("saveImageAction"));
        addPageAction(menu, shown, QWebEnginePage::CopyImageToClipboard,
                      QStringLiteral("copyImageAction"));
        addPageAction(menu, shown, QWebEnginePage::CopyImageUrlToClipboard,
                      QStringLiteral("copyImageAddressAction"));
    }

    const QString selection = request.selectedText().simplified();
    const auto flags = request.editFlags();
    if (request.isContentEditable()) {
        menu->addSeparator();
        if (flags.testFlag(QWebEngineContextMenuRequest::CanCut))
            addPageAction(menu, shown, QWebEnginePage::Cut, QStringLiteral("cutAction"));
        if (flags.testFlag(QWebEngineContextMenuRequest::CanCopy))
            addPageAction(menu, shown, QWebEnginePage::Copy, QStringLiteral("copyAction"));
        if (flags.testFlag(QWebEngineContextMenuRequest::CanPaste))
            addPageAction(menu, shown, QWebEnginePage::Paste, QStringLiteral("pasteAction"));
        if (flags.testFlag(QWebEngineContextMenuRequest::CanSelectAll))
            addPageAction(menu, shown, QWebEnginePage::SelectAll,
                          QStringLiteral("selectAllAction"));
    } else if (!selection.isEmpty()) {
        menu->addSeparator();
        addPageAction(menu, shown, QWebEnginePage::Copy, QStringLiteral("copyAction"));
    }
    if (!selection.isEmpty())
        addSearchAction(menu, selection);

    // The page itself, where nothing more particular was clicked.
    if (menu->isEmpty()) {
        addPageAction(menu, shown, QWebEnginePage::Back, QStringLiteral("backAction"));
        addPageAction(menu, shown, QWebEnginePage::Forward, QStringLiteral("forwardAction"));
        addPageAction(menu, shown, QWebEnginePage::Reload, QStringLiteral("reloadAction"));
    }
    return menu;
}

void PageWebView::addLinkActions(QMenu *menu, const QUrl &link)
{
    QAction *newTab = menu->addAction(QStringLiteral("新しいタブで開く"));
    newTab->setObjectName(QStringLiteral("openInNewTabAction"));
    connect(newTab, &QAction::triggered, this,
            [this, link] { Q_EMIT openInNewTabRequested(link); });
    addPageAction(menu, page(), QWebEnginePage::CopyLinkToClipboard,
                  QStringLiteral("copyLinkAction"));
    QAction *save = menu->addAction(QStringLiteral("リンク先を保存"));
    save->setObjectName(QStringLiteral("saveLinkAction"));
    // A download of the profile, like any other: whoever takes the profile's
    // downloads decides where it goes. A link the screening would block is
    // not fetched at all; opening it shows the warning instead.
    connect(save, &QAction::triggered, this, [this, link] {
        if (SafeBrowsingEngine().evaluateSafety(link, m_ruleStore).isSuspicious())
            m_viewModel.loadURL(link);
        else if (page())
            page()->download(link);
    });
}

void PageWebView::addSearchAction(QMenu *menu, const QString &selection)
{
    menu->addSeparator();
    QAction *search = menu->addAction(searchLabel(selection));
    search->setObjectName(QStringLiteral("searchSelectionAction"));
    connect(search, &QAction::triggered, this, [this, selection] { searchFor(selection); });
}

void PageWebView::searchFor(const QString &text)
{
    // The search bar's filter and engine, as a search typed there; a shop
    // chosen there for direct shop search is the bar's own and is not used.
    const std::optional<QUrl> url = SafeBrowsingEngine().buildSearchURL(
        text.first(qMin(text.size(), qsizetype(maxSearchLength))), m_ruleStore.filterMode(),
        m_ruleStore.searchEngine(), m_ruleStore, std::nullopt);
    if (url)
        m_viewModel.loadURL(*url);
}
