// Subscribed lists are downloaded from the internet: any bytes must parse
// without a crash, a hang or a leak, and the parsed list must answer lookups.
#include "blocklist/BlockList.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto list = BlockList::parse(bytes);
    static const QUrl probes[] = {
        QUrl(QStringLiteral("https://shop.example.com/item?id=1")),
        QUrl(QStringLiteral("http://a.b.c.top/")),
        QUrl(QStringLiteral("https://xn--eckwd4c7c.xn--zckzah/path/")),
    };
    for (const QUrl &url : probes)
        list->match(url);
    return 0;
}
