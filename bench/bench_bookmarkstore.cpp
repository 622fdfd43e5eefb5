// Load and save of a 10,000-bookmark list through the real preferences store.
#include "BenchTiming.h"
#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    constexpr int rows = 10000;
    constexpr int runs = 21;

    QList<ShoppingBookmark> bookmarks;
    for (int i = 0; i < rows; ++i) {
        bookmarks.append(ShoppingBookmark::create(
            QStringLiteral("ノートPC 商品 %1").arg(i),
            QStringLiteral("https://www.amazon.co.jp/dp/B0%1?ref=sr_1_%1").arg(i),
            i % 3 ? QStringLiteral("Amazon.co.jp") : QString(), QString()));
    }

    const QByteArray encoded = *BookmarkStore::encode(bookmarks);
    out << "rows: " << rows << ", stored bytes: " << encoded.size() << "\n";
    out << "encode (JSON only): "
        << medianMilliseconds(runs, [&] { (void)BookmarkStore::encode(bookmarks); }) << " ms\n";
    out << "decode (JSON only): "
        << medianMilliseconds(runs, [&] { (void)BookmarkStore::decode(encoded); }) << " ms\n";

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    {
        SettingsPreferencesStore preferences(path);
        BookmarkStore store(preferences);
        store.setBookmarks(bookmarks);
        store.saveBookmarks();
    }

    out << "load (new preferences store + BookmarkStore over the file): "
        << medianMilliseconds(runs,
                              [&] {
                                  SettingsPreferencesStore preferences(path);
                                  BookmarkStore store(preferences);
                                  if (store.bookmarks().size() != rows)
                                      qFatal("lost bookmarks");
                              })
        << " ms\n";

    SettingsPreferencesStore preferences(path);
    BookmarkStore store(preferences);
    out << "addBookmark (encode + write + sync): " << medianMilliseconds(runs, [&] {
        store.addBookmark(QStringLiteral("new"), QStringLiteral("https://n.test/"), QString(),
                          QString());
    }) << " ms\n";
    BookmarkStore otherWindow(preferences);
    out << "addBookmark with a second window reloading: " << medianMilliseconds(runs, [&] {
        store.addBookmark(QStringLiteral("new"), QStringLiteral("https://n.test/"), QString(),
                          QString());
    }) << " ms\n";
    return 0;
}
