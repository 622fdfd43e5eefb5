#include "views/browser/BrowserPageActions.h"

#include "browser/BrowserViewModel.h"
#include "browser/PageZoom.h"
#include "views/browser/BrowserView.h"
#include "views/browser/FindBarView.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QWebEngineView>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

bool askWithPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"印刷"_s);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

BrowserPageActions::BrowserPageActions(QWidget &window)
    : QObject(&window)
    , m_window(window)
    , m_printQuestion(askWithPrintDialog)
{
    add("findAction", u"ページ内を検索…"_s, {QKeySequence(Qt::CTRL | Qt::Key_F)},
        &BrowserPageActions::find);
    add("findNextAction", u"次を検索"_s, {QKeySequence(Qt::Key_F3)}, &BrowserPageActions::findNext);
    add("findPreviousAction", u"前を検索"_s, {QKeySequence(Qt::SHIFT | Qt::Key_F3)},
        &BrowserPageActions::findPrevious);
    add("zoomInAction", u"拡大"_s,
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)},
        &BrowserPageActions::zoomIn);
    add("zoomOutAction", u"縮小"_s, {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        &BrowserPageActions::zoomOut);
    add("zoomResetAction", u"実際のサイズ"_s, {QKeySequence(Qt::CTRL | Qt::Key_0)},
        &BrowserPageActions::resetZoom);
    add("printAction", u"印刷…"_s, {QKeySequence(Qt::CTRL | Qt::Key_P)},
        &BrowserPageActions::print);
    add("reloadPageAction", u"再読み込み"_s,
        {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)},
        &BrowserPageActions::reload);
    add("reloadBypassingCacheAction", u"キャッシュを使わずに再読み込み"_s,
        {QKeySequence(Qt::SHIFT | Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)},
        &BrowserPageActions::reloadBypassingCache);
    m_stop = add("stopAction", u"中止"_s, {QKeySequence(Qt::Key_Escape)},
                 &BrowserPageActions::stopOrCloseFind);
    updateStop();
}

BrowserPageActions::~BrowserPageActions() = default;

void BrowserPageActions::setView(BrowserView *view)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_viewConnections))
        disconnect(connection);
    m_viewConnections.clear();
    m_view = view;
    m_pagePrints = 0;
    if (view) {
        m_viewConnections = {
            connect(&view->viewModel(), &BrowserViewModel::isLoadingChanged, this,
                    &BrowserPageActions::updateStop),
            connect(&view->viewModel(), &BrowserViewModel::isLoadingChanged, this,
                    [this] {
                        if (m_view && m_view->viewModel().isLoading())
                            m_pagePrints = 0;
                    }),
            connect(view, &BrowserView::printRequested, this, &BrowserPageActions::printForPage),
            connect(view, &BrowserView::findBarOpenChanged, this, &BrowserPageActions::updateStop),
            connect(view, &QObject::destroyed, m_stop, [this] { m_stop->setEnabled(false); }),
        };
    }
    updateStop();
}

// Esc is taken from the page only while it has something to stop or close:
// otherwise the page's own dialogs and menus need it.
void BrowserPageActions::updateStop()
{
    m_stop->setEnabled(m_view && (m_view->viewModel().isLoading() || m_view->isFindBarOpen()));
}

QAction *BrowserPageActions::add(const char *objectName, const QString &text,
                                 const QList<QKeySequence> &keys,
                                 void (BrowserPageActions::*command)())
{
    auto *action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(objectName));
    action->setShortcuts(keys);
    // The whole window, also while the page has the focus.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, command);
    m_window.addAction(action);
    m_actions.append(action);
    return action;
}

bool BrowserPageActions::pageInSight() const
{
    // A warning's page is hidden, and was not chosen: finding in it, zooming
    // its site or printing it would act on what the user cannot see.
    return m_view && m_view->isPageInSight();
}

void BrowserPageActions::find()
{
    if (pageInSight())
        m_view->findBar()->showBar();
}

void BrowserPageActions::findNext()
{
    if (pageInSight())
        m_view->findBar()->findNext();
}

void BrowserPageActions::findPrevious()
{
    if (pageInSight())
        m_view->findBar()->findPrevious();
}

void BrowserPageActions::zoomIn()
{
    if (pageInSight() && m_view->pageZoom())
        m_view->pageZoom()->zoomIn();
}

void BrowserPageActions::zoomOut()
{
    if (pageInSight() && m_view->pageZoom())
        m_view->pageZoom()->zoomOut();
}

void BrowserPageActions::resetZoom()
{
    if (pageInSight() && m_view->pageZoom())
        m_view->pageZoom()->reset();
}

void BrowserPageActions::reload()
{
    if (m_view)
        m_view->viewModel().reload();
}

void BrowserPageActions::reloadBypassingCache()
{
    if (m_view)
        m_view->viewModel().reload(true);
}

void BrowserPageActions::stopOrCloseFind()
{
    if (!m_view)
        return;
    if (m_view->isFindBarOpen())
        m_view->findBar()->closeBar();
    else
        m_view->viewModel().stop();
}

void BrowserPageActions::printForPage()
{
    // Asking while a print is under way would be refused anyway.
    if (m_pagePrints >= pagePrintsPerLoad || m_printingView || m_asking)
        return;
    ++m_pagePrints;
    print();
}

void BrowserPageActions::print()
{
    if (!pageInSight() || m_printingView || m_asking)
        return;
    const QScopedValueRollback asking(m_asking, true);
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The print dialog proposes "<folder>/<name>.pdf": a page's title may
    // not take that file out of its folder ("../../x") or hide it.
    QString title = m_view->viewModel().pageTitle();
    title.replace(u'/', u'_').replace(u'\\', u'_');
    while (title.startsWith(u'.'))
        title.remove(0, 1);
    printer->setDocName(title.trimmed().isEmpty() ? u"Velmora Shopping Browser"_s : title);
    if (!m_printQuestion || !m_printQuestion(*printer, &m_window) || !m_view)
        return;
    m_printer = std::move(printer);
    m_printingView = m_view->webView();
    connect(
        m_printingView, &QWebEngineView::printFinished, this,
        [this] {
            m_printer.reset();
            m_printingView = nullptr;
        },
        Qt::SingleShotConnection);
    m_printingView->print(m_printer.get());
}
