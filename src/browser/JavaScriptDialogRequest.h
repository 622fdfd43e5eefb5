#pragma once

#include <QString>
#include <QUrl>

// One dialog a page asks for (alert, confirm, prompt, or the engine's own
// question before leaving a page that asked to be kept), and the user's
// answer, filled in by whoever shows it. The answer starts as what the page
// gets when nobody answers.
struct JavaScriptDialogRequest
{
    enum class Kind {
        alert,
        confirm,
        prompt,
        leavePage,
    };

    Kind kind = Kind::alert;
    // Where the script runs: the dialog names it, so that a page cannot pass
    // its words off as the browser's.
    QUrl origin;
    QString message;
    // What the prompt's field starts with.
    QString defaultText;
    // The page already showed a dialog since it loaded: the view offers to
    // silence it.
    bool repeated = false;

    // OK or leave; for an alert, merely that it was closed.
    bool accepted = false;
    // The prompt's field when accepted.
    QString text;
    // The user asked for no more dialogs from this page.
    bool suppressFurther = false;
};
