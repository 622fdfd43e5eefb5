#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class BrowserView;
class QAction;
class QPrinter;
class QWebEngineView;
class QWidget;

// The keyboard commands a browser window has for its page: find (Ctrl+F,
// F3, Shift+F3), zoom (Ctrl++, Ctrl+=, Ctrl+-, Ctrl+0), print (Ctrl+P),
// reload (F5, Ctrl+R; Shift+F5, Ctrl+Shift+R past the cache) and stop (Esc, which first closes an
// open find bar). The actions live on the window, so they work wherever its focus is, the page
// included; they act on whichever page view the window points them at.
class BrowserPageActions final : public QObject
{
    Q_OBJECT

public:
    // Fills in the printer (printer, file, pages) with the user; false when
    // the user cancelled. The default shows the print dialog.
    using PrintQuestion = std::function<bool(QPrinter &printer, QWidget *parent)>;

    explicit BrowserPageActions(QWidget &window);
    ~BrowserPageActions() override;

    // The page view the commands act on; null leaves them doing nothing.
    void setView(BrowserView *view);
    BrowserView *view() const { return m_view; }
    void setPrintQuestion(PrintQuestion question) { m_printQuestion = std::move(question); }
    // Every action, for a menu that wants to list them.
    QList<QAction *> actions() const { return m_actions; }

    // Prints the current page after asking with the print dialog.
    void print();
    // A print is being written: further ones wait until it is done.
    bool isPrinting() const { return m_printingView; }
    // A page's own window.print(): only the page in front may ask, and a
    // page that asks in a loop gets no more dialogs than this each load.
    static constexpr int pagePrintsPerLoad = 2;
    // Esc: closes the find bar if it is open, else stops the load.
    void stopOrCloseFind();

private:
    QAction *add(const char *objectName, const QString &text, const QList<QKeySequence> &keys,
                 void (BrowserPageActions::*command)());
    bool pageInSight() const;
    void find();
    void findNext();
    void findPrevious();
    void zoomIn();
    void zoomOut();
    void resetZoom();
    void reload();
    void reloadBypassingCache();
    void updateStop();
    void printForPage();

    QWidget &m_window;
    QPointer<BrowserView> m_view;
    QList<QMetaObject::Connection> m_viewConnections;
    QAction *m_stop = nullptr;
    PrintQuestion m_printQuestion;
    QList<QAction *> m_actions;
    // The engine prints one page at a time, into a printer that must live
    // until it says it is done.
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QWebEngineView> m_printingView;
    // The dialog is open: a page's further requests wait for nothing.
    bool m_asking = false;
    int m_pagePrints = 0;
};
