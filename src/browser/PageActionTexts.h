#pragma once

class QWebEnginePage;

// Japanese texts for the engine's page actions, which come with English
// texts only (no Japanese translation of the web engine is installed). Every
// menu that shows a page action, the page's own context menu included, then
// speaks Japanese.
class PageActionTexts
{
public:
    static void apply(QWebEnginePage &page);
};
