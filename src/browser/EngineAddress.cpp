#include "browser/EngineAddress.h"

#include "safety/WebAddress.h"

using namespace Qt::StringLiterals;

QString EngineAddress::text(const QUrl &url)
{
    if (url.isValid() || url.isEmpty())
        return WebAddress::text(url);
    // QUrl keeps the refused text in its error: '...; source was "<text>"; ...'.
    const QString error = url.errorString();
    const QString opening = u"source was \""_s;
    const qsizetype start = error.indexOf(opening);
    if (start < 0)
        return QString();
    const qsizetype begin = start + opening.size();
    const qsizetype end = error.indexOf(u"\";"_s, begin);
    return end < 0 ? QString() : error.mid(begin, end - begin);
}

bool EngineAddress::canLoad(const QUrl &url)
{
    return url.isValid();
}
