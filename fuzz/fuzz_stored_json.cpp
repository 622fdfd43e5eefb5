// Stored rule and bookmark lists come back from a file the user (or another
// program) may have edited: any bytes must decode to a list or to nothing,
// and a decoded list must survive its own round trip unchanged.
#include "bookmarks/BookmarkStore.h"
#include "prefs/StoredJson.h"
#include "rules/ExcludedPattern.h"
#include "rules/TrustedShop.h"

#include <cstdlib>

namespace {

template<typename Record> void roundTrip(const QByteArray &bytes)
{
    const auto records = StoredJson::decodeArray<Record>(bytes);
    if (!records)
        return;
    const auto again = StoredJson::decodeArray<Record>(StoredJson::encodeArray(*records));
    if (!again || *again != *records)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    roundTrip<TrustedShop>(bytes);
    roundTrip<ExcludedPattern>(bytes);
    if (const auto bookmarks = BookmarkStore::decode(bytes)) {
        const auto encoded = BookmarkStore::encode(*bookmarks);
        if (encoded && BookmarkStore::decode(*encoded) != bookmarks)
            std::abort();
    }
    return 0;
}
