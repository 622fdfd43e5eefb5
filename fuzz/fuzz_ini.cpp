// The settings file is the user's own: whatever it holds, the stores that
// read it at start-up (rules, bookmarks, theme) and write their defaults over
// it must not crash, and whatever they could not read is kept aside.
#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_ini";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VelmoraShoppingBrowser.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    SettingsPreferencesStore preferences(path);
    SecurityRuleStore rules(preferences);
    BookmarkStore bookmarks(preferences);
    ThemeManager theme(preferences);
    bookmarks.addBookmark(QStringLiteral("t"), QStringLiteral("https://example.com/"), QString(),
                          QString());
    theme.setCurrentTheme(AppTheme::dark);
    return 0;
}
