#pragma once

class QCoreApplication;

// Qt's own Japanese texts (qtbase_ja: the text-field menu, the standard
// dialogs and buttons), from the translations Qt was installed with. The web
// engine has no Japanese translation there; its texts are set by the browser
// layer itself.
class JapaneseTranslations
{
public:
    // Installs the translation on the application, which owns it. False when
    // no translation was found: the program then runs with Qt's English texts.
    static bool install(QCoreApplication &application);
};
