#pragma once

#include <QPointer>
#include <QWebEngineView>

class BrowserViewModel;
class QMenu;
class QWebEngineContextMenuRequest;
class SecurityRuleStore;

// The web view of one browser pane: shows its page's JavaScript dialogs as
// the browser's own Japanese dialogs, and offers a Japanese context menu of
// what works here. Every address the menu opens goes through the view
// model, which screens it; nothing opens a page directly.
class PageWebView final : public QWebEngineView
{
    Q_OBJECT

public:
    // Longest selection shown in the search item's text.
    static constexpr int maxSearchLabelLength = 20;
    // Longest selection searched for; a selected page would make an address
    // no search service takes.
    static constexpr int maxSearchLength = 500;

    PageWebView(BrowserViewModel &viewModel, SecurityRuleStore &ruleStore,
                QWidget *parent = nullptr);

    // Shows page, which the view then owns alongside its parent, and its
    // dialogs when it is a ScreeningWebPage.
    void attachPage(QWebEnginePage *page);

    // The context menu while it is open.
    QMenu *contextMenu() const;

Q_SIGNALS:
    // The user chose to open a link of the page in a new tab.
    void openInNewTabRequested(const QUrl &url);
    // Out of sight, the page asks whether the user really leaves it (its
    // tab is being closed): the view must come to the front to ask.
    void frontWanted();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QMenu *buildContextMenu(const QWebEngineContextMenuRequest &request);
    void addLinkActions(QMenu *menu, const QUrl &link);
    void addSearchAction(QMenu *menu, const QString &selection);
    void searchFor(const QString &text);

    BrowserViewModel &m_viewModel;
    SecurityRuleStore &m_ruleStore;
    QPointer<QMenu> m_contextMenu;
};
