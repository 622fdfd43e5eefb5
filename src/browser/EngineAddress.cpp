#include "browser/EngineAddress.h"

#include "address/LoadTarget.h"
#include "safety/WebAddress.h"

QString EngineAddress::text(const QUrl &url)
{
    if (url.isValid() || url.isEmpty())
        return WebAddress::text(url);
    return LoadTarget::refusedText(url);
}

bool EngineAddress::canLoad(const QUrl &url)
{
    return url.isValid();
}
