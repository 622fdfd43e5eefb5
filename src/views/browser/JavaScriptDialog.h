#pragma once

#include "browser/JavaScriptDialogRequest.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// The browser's own Japanese dialog for a page's alert, confirm and prompt,
// and for the question before leaving a page that asked to be kept. It
// names the site that speaks, so that a page cannot pass its words off as
// the browser's, and from a page's second dialog on it offers to silence
// the page.
class JavaScriptDialog final : public QDialog
{
    Q_OBJECT

public:
    // Long enough for any honest message; a page's megabyte of text would
    // otherwise make a dialog taller than the screen.
    static constexpr int maxMessageLength = 1000;
    static constexpr auto leavePageTitle = "このページから移動しますか？";
    static constexpr auto silenceText = "このページでこれ以上ダイアログを表示しない";

    JavaScriptDialog(const JavaScriptDialogRequest &request, QWidget *parent);

    // Shows the dialog for request, modally, and writes the user's answer
    // into it.
    static void ask(JavaScriptDialogRequest &request, QWidget *parent);

    // The heading that names who asks.
    static QString heading(const JavaScriptDialogRequest &request);

private:
    void writeAnswer(JavaScriptDialogRequest &request) const;

    QLineEdit *m_input = nullptr;
    QCheckBox *m_silence = nullptr;
};
