#pragma once

#include "browser/JavaScriptDialogRequest.h"

#include <QObject>
#include <QString>

class QWebEnginePage;

// Puts a page's JavaScript dialogs to the view that shows them, which lives
// above this layer: the page asks here, the view answers through the
// request it is handed. A page that abuses dialogs (a loop of alerts, as
// fake virus warnings do) can be silenced by the user until the tab goes to
// another site.
class JavaScriptDialogRelay final : public QObject
{
    Q_OBJECT

public:
    // The engine asks in English before leaving a page that asked to be
    // kept; that question is recognised and asked in Japanese instead, with
    // this as its message.
    static constexpr auto leavePageMessage = "入力した内容は保存されない可能性があります。";

    // Follows the page's loads; the page owns the relay.
    explicit JavaScriptDialogRelay(QWebEnginePage &page);

    bool isSuppressed() const { return m_suppressed; }
    // A dialog is up, in its own event loop, waiting for the user.
    bool isAsking() const { return m_asking > 0; }

    // The engine's three dialog calls, answered as QWebEnginePage expects.
    void alert(const QUrl &origin, const QString &message);
    bool confirm(const QUrl &origin, const QString &message);
    bool prompt(const QUrl &origin, const QString &message, const QString &defaultText,
                QString *result);

Q_SIGNALS:
    // Connected directly: the receiver shows the dialog and writes the
    // answer into the request before returning.
    void dialogRequested(JavaScriptDialogRequest &request);
    // The user chose to stay on a page that asked to be kept.
    void stayedOnPage();

private:
    JavaScriptDialogRequest ask(JavaScriptDialogRequest request);

    QString m_site;
    bool m_suppressed = false;
    int m_shownOnSite = 0;
    int m_asking = 0;
};
