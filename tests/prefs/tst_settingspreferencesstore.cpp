#include "prefs/SettingsPreferencesStore.h"

#include "bookmarks/BookmarkStore.h"
#include "prefs/FileBytes.h"
#include "prefs/StoredJson.h"
#include "rules/SecurityRuleStore.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

class tst_SettingsPreferencesStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void valuesComeBackAsTheirOwnKind();
    void foreignValuesReadAsNothing_data();
    void foreignValuesReadAsNothing();
    void fileKeptWhole_data();
    void fileKeptWhole();
    void unreadableValuesKeptAsWritten_data();
    void unreadableValuesKeptAsWritten();
    void replacedBackupKeptWithTheFile();
    void failedWriteIsReported();

private:
    QString settingsPath() const { return m_dir->filePath(u"VelmoraShoppingBrowser.ini"_s); }
    QStringList fileCopies() const
    {
        return QDir(m_dir->path()).entryList({u"VelmoraShoppingBrowser.ini.unreadable-*"_s});
    }
    QByteArray readFile(const QString &name) const { return fileBytes(m_dir->filePath(name)); }
    void writeFile(const QByteArray &bytes) const { writeBytes(settingsPath(), bytes); }

    std::optional<QTemporaryDir> m_dir;
};

void tst_SettingsPreferencesStore::valuesComeBackAsTheirOwnKind()
{
    // Texts that an INI file could confuse with its own syntax come back
    // unchanged, as do binary and empty values, and only as the kind written.
    const QString trickyText = u"@ByteArray(x), \"quoted\"; =a\nb 日本語 🛒"_s;
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    writeFile("[General]\nwas%20bytes=from the file\n");
    {
        SettingsPreferencesStore store(settingsPath());
        QSignalSpy spy(&store, &PreferencesStore::valueChanged);
        store.setString(u"text"_s, trickyText);
        store.setString(u"emptyText"_s, QString());
        store.setData(u"bytes"_s, binary);
        store.setData(u"emptyBytes"_s, QByteArray());
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.at(2).at(0).toString(), u"bytes"_s);
        // Replacing a value may change its kind; the value replaced is kept.
        store.setString(u"was bytes"_s, u"x"_s);
        store.setData(u"was bytes"_s, "now bytes");
    }
    SettingsPreferencesStore reopened(settingsPath());
    QCOMPARE(reopened.string(u"text"_s), std::optional<QString>(trickyText));
    QCOMPARE(reopened.string(u"emptyText"_s), std::optional<QString>(QString()));
    QCOMPARE(reopened.data(u"bytes"_s), std::optional<QByteArray>(binary));
    QCOMPARE(reopened.data(u"emptyBytes"_s), std::optional<QByteArray>(QByteArray()));
    QCOMPARE(reopened.data(u"text"_s), std::nullopt);
    QCOMPARE(reopened.string(u"bytes"_s), std::nullopt);
    QCOMPARE(reopened.string(u"missing"_s), std::nullopt);
    QCOMPARE(reopened.string(u"was bytes"_s), std::nullopt);
    QCOMPARE(reopened.data(u"was bytes"_s), std::optional<QByteArray>("now bytes"));
    QCOMPARE(reopened.data(u"was bytes_unreadable"_s), std::optional<QByteArray>("x"));
}

void tst_SettingsPreferencesStore::foreignValuesReadAsNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<std::optional<QString>>("text");
    QTest::addColumn<std::optional<QByteArray>>("bytes");

    // Values as another program (or a hand edit) leaves them in the file.
    // The INI format keeps no number kind: a number reads back as its text,
    // which every reader then treats as an unrecognised value.
    const std::optional<QString> noText;
    const std::optional<QByteArray> noBytes;
    QTest::newRow("number") << QByteArray("[General]\nkey=42\n") << std::optional(u"42"_s)
                            << noBytes;
    QTest::newRow("bytes") << QByteArray("[General]\nkey=@ByteArray(trustedOnly)\n") << noText
                           << std::optional(QByteArrayLiteral("trustedOnly"));
    QTest::newRow("list") << QByteArray("[General]\nkey=a, b\n") << noText << noBytes;
    QTest::newRow("truncated bytes")
        << QByteArray("[General]\nkey=@ByteArray(\n") << std::optional(u"@ByteArray("_s) << noBytes;
    QTest::newRow("garbage file") << QByteArray("\xff\xfe\x00[[[=\n@ByteArray(\n", 20)
            + QByteArray(4096, '\x01')
                                  << noText << noBytes;
}

void tst_SettingsPreferencesStore::foreignValuesReadAsNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(std::optional<QString>, text);
    QFETCH(std::optional<QByteArray>, bytes);
    writeFile(file);
    SettingsPreferencesStore store(settingsPath());
    QCOMPARE(store.string(u"key"_s), text);
    QCOMPARE(store.data(u"key"_s), bytes);
    // The store stays usable.
    store.setString(u"key"_s, u"trustedOnly"_s);
    QCOMPARE(store.string(u"key"_s), std::optional<QString>(u"trustedOnly"_s));
}

void tst_SettingsPreferencesStore::fileKeptWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("kept");

    const QByteArray customShop = StoredJson::encodeArray(
        QList<TrustedShop> {TrustedShop::create(u"自作の店"_s, u"mine.example"_s, u"c"_s,
                                                u"https://mine.example/?q={query}"_s, true, true)});
    QTest::newRow("clean") << QByteArray("[General]\nselectedAppTheme=dark\n") << false;
    QTest::newRow("repeated section, later list empty")
        << "[General]\nvelmora_trusted_shops_v1=@ByteArray(" + customShop
            + ")\n\n[General]\nvelmora_trusted_shops_v1=@ByteArray([])\n"
        << true;
    QTest::newRow("repeated section, no key twice")
        << QByteArray("[General]\na=1\n[general]\nb=2\nc=\"x;y=z\nw\"\n") << false;
    QTest::newRow("key twice, spelt differently") << QByteArray("a=1\n[General]\n%61=2\n") << true;
    QTest::newRow("comment") << QByteArray("[General]\na=1 ; mine\n") << true;
    QTest::newRow("line without =") << QByteArray("[General]\na=1\nstray\n") << true;
    QTest::newRow("unclosed header") << QByteArray("[General\na=1\n") << true;
    QTest::newRow("not UTF-8") << QByteArray("[General]\na=caf\xe9\n") << true;
    QTest::newRow("unreadable variant") << QByteArray("[General]\nv=@Variant(junk)\n") << true;
    QTest::newRow("invalid as written back") << QByteArray("[General]\nv=@Invalid()\n") << false;
}

void tst_SettingsPreferencesStore::fileKeptWhole()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, kept);
    writeFile(file);
    {
        // The program's own start over the file, then two saves.
        SettingsPreferencesStore preferences(settingsPath());
        SecurityRuleStore rules(preferences);
        BookmarkStore bookmarks(preferences);
        bookmarks.addBookmark(u"a"_s, u"https://a.example/"_s, QString(), QString());
        bookmarks.addBookmark(u"b"_s, u"https://b.example/"_s, QString(), QString());
    }
    const QStringList copies = fileCopies();
    QCOMPARE(copies.size(), kept ? 1 : 0);
    if (kept) {
        QVERIFY(copies.first().contains(
            QRegularExpression(u"^VelmoraShoppingBrowser\\.ini\\.unreadable-\\d{8}-\\d{6}$"_s)));
        QCOMPARE(readFile(copies.first()), file);
    }
    SettingsPreferencesStore reopened(settingsPath());
    QCOMPARE(BookmarkStore(reopened).bookmarks().size(), 2);
}

void tst_SettingsPreferencesStore::unreadableValuesKeptAsWritten_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<bool>("cutOff"); // the file ends in it, under the rule list's key alone

    // Kept as written, not as the list would be spelt again ("a, b").
    QTest::newRow("list without spaces") << QByteArray("a,b") << QByteArray("a,b") << false;
    const QByteArray variant("@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x6QColor)");
    QTest::newRow("variant") << variant << variant << false;
    QTest::newRow("bytes where text belongs")
        << QByteArray("@ByteArray(dark)") << QByteArray("dark") << false;
    // Stored bytes as QSettings spells them, the file cut off in the middle
    // of 総合: without its closing ")" the value reads as text. Escapes and
    // UTF-8 text in one value: no single encoding of what QSettings read
    // gives both back.
    const QByteArray cutOff(R"("@ByteArray([{\"name\":\"\xe7\xb7\x8f\xe5\x90)");
    QTest::newRow("escaped bytes, cut off") << cutOff << cutOff << true;
    const QByteArray withText = cutOff + R"(\x88\",\"note\":\")" + "店舗一覧";
    QTest::newRow("escaped bytes and text, cut off") << withText << withText << true;
}

void tst_SettingsPreferencesStore::unreadableValuesKeptAsWritten()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, kept);
    QFETCH(bool, cutOff);
    const QString theme = u"selectedAppTheme"_s;
    QStringList keys {QString::fromLatin1(SecurityRuleStore::trustedShopsKey)};
    if (!cutOff)
        keys << QString::fromLatin1(BookmarkStore::storageKey) << theme;
    QByteArray file("[General]");
    for (const QString &key : keys)
        file += '\n' + key.toLatin1() + '=' + value;
    writeFile(cutOff ? file : file + '\n');
    {
        // The rule list falls back to the defaults, the bookmarks are saved
        // over, and the theme is written by a caller that keeps nothing
        // itself.
        SettingsPreferencesStore preferences(settingsPath());
        SecurityRuleStore rules(preferences);
        BookmarkStore bookmarks(preferences);
        bookmarks.addBookmark(u"a"_s, u"https://a.example/"_s, QString(), QString());
        preferences.setString(theme, u"dark"_s);
    }
    SettingsPreferencesStore reopened(settingsPath());
    for (const QString &key : keys)
        QCOMPARE(reopened.data(key + u"_unreadable"_s), std::optional<QByteArray>(kept));
    QCOMPARE(reopened.string(theme), std::optional<QString>(u"dark"_s));
}

void tst_SettingsPreferencesStore::replacedBackupKeptWithTheFile()
{
    SettingsPreferencesStore preferences(settingsPath());
    preferences.keepUnreadable(u"k"_s, "first");
    const QByteArray withFirst = readFile(u"VelmoraShoppingBrowser.ini"_s);
    preferences.keepUnreadable(u"k"_s, "first");
    QVERIFY(fileCopies().isEmpty());
    preferences.keepUnreadable(u"k"_s, "second");
    preferences.keepUnreadable(u"k"_s, "third");
    const QStringList copies = fileCopies();
    QCOMPARE(copies.size(), 2);
    QCOMPARE(readFile(copies.first()), withFirst);
    QVERIFY(readFile(copies.last()).contains("k_unreadable=@ByteArray(second)"));
    QCOMPARE(preferences.data(u"k_unreadable"_s), std::optional<QByteArray>("third"));
}

void tst_SettingsPreferencesStore::failedWriteIsReported()
{
    const QString folder = m_dir->filePath(u"config"_s);
    QVERIFY(QDir().mkpath(folder));
    SettingsPreferencesStore store(folder + u"/VelmoraShoppingBrowser.ini"_s);
    QSignalSpy failed(&store, &PreferencesStore::writeFailed);
    store.setString(u"saved"_s, u"1"_s);
    QCOMPARE(failed.count(), 0);
    // The folder is gone and a file stands in its place: nothing can be
    // written there, not even by root.
    QVERIFY(QDir(folder).removeRecursively());
    writeBytes(folder, "not a folder");
    store.setString(u"lost"_s, u"2"_s);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), u"lost"_s);
    // It holds for this run.
    QCOMPARE(store.string(u"lost"_s), std::optional<QString>(u"2"_s));
    // Writable again: the next change is saved, with the one before.
    QVERIFY(QFile::remove(folder));
    QVERIFY(QDir().mkpath(folder));
    store.setString(u"again"_s, u"3"_s);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(SettingsPreferencesStore(store.fileName()).string(u"lost"_s),
             std::optional<QString>(u"2"_s));
}

QTEST_GUILESS_MAIN(tst_SettingsPreferencesStore)
#include "tst_settingspreferencesstore.moc"
