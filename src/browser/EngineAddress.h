#pragma once

#include <QString>
#include <QUrl>

// The address as the web engine has it. The engine reports addresses QUrl
// refuses ("http://scam.top../", "http://sc%21am.top/") as an invalid QUrl
// that keeps the engine's text only in its error; such an address can be
// shown and compared, but not handed back to the engine, which would load a
// blank page in its place.
class EngineAddress
{
public:
    // The full text: an address QUrl took, as stored in bookmarks; one it
    // refused, as the engine wrote it; "" for no address.
    static QString text(const QUrl &url);
    // False for addresses QUrl refused and for no address.
    static bool canLoad(const QUrl &url);
};
