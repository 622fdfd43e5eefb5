#include "prefs/ReadOnlyPreferencesStore.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_SettingsPreferencesStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void textAndBytesAreDistinctKinds();
    void valuesSurviveANewInstance();
    void foreignValuesReadAsNothing_data();
    void foreignValuesReadAsNothing();
    void corruptFileReadsAsEmpty();
    void writesAnnounceTheirKey();
    void readOnlyStoreReadsThroughAndDropsWrites();

private:
    QString settingsPath() const { return m_dir->filePath(u"prefs.ini"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SettingsPreferencesStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_SettingsPreferencesStore::textAndBytesAreDistinctKinds()
{
    SettingsPreferencesStore store(settingsPath());
    store.setString(u"text"_s, u"excludeSuspicious"_s);
    store.setData(u"bytes"_s, QByteArrayLiteral("[{\"a\":1}]"));

    QCOMPARE(store.string(u"text"_s), std::optional<QString>(u"excludeSuspicious"_s));
    QCOMPARE(store.data(u"bytes"_s), std::optional<QByteArray>(QByteArrayLiteral("[{\"a\":1}]")));
    QCOMPARE(store.data(u"text"_s), std::nullopt);
    QCOMPARE(store.string(u"bytes"_s), std::nullopt);
    QCOMPARE(store.string(u"missing"_s), std::nullopt);
    QCOMPARE(store.data(u"missing"_s), std::nullopt);

    // Replacing a value may change its kind.
    store.setData(u"text"_s, QByteArrayLiteral("now bytes"));
    QCOMPARE(store.string(u"text"_s), std::nullopt);
    QCOMPARE(store.data(u"text"_s), std::optional<QByteArray>(QByteArrayLiteral("now bytes")));
}

void tst_SettingsPreferencesStore::valuesSurviveANewInstance()
{
    // Texts that an INI file could confuse with its own syntax must come back
    // unchanged, as must binary and empty values.
    const QString trickyText = u"@ByteArray(x), \"quoted\"; =a\nb 日本語 🛒"_s;
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    {
        SettingsPreferencesStore store(settingsPath());
        store.setString(u"text"_s, trickyText);
        store.setString(u"emptyText"_s, QString());
        store.setData(u"bytes"_s, binary);
        store.setData(u"emptyBytes"_s, QByteArray());
    }
    SettingsPreferencesStore reopened(settingsPath());
    QCOMPARE(reopened.string(u"text"_s), std::optional<QString>(trickyText));
    QCOMPARE(reopened.string(u"emptyText"_s), std::optional<QString>(QString()));
    QCOMPARE(reopened.data(u"bytes"_s), std::optional<QByteArray>(binary));
    QCOMPARE(reopened.data(u"emptyBytes"_s), std::optional<QByteArray>(QByteArray()));
    QCOMPARE(reopened.fileName(), settingsPath());
}

void tst_SettingsPreferencesStore::foreignValuesReadAsNothing_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<std::optional<QString>>("text");
    QTest::addColumn<std::optional<QByteArray>>("bytes");

    // Values as another program (or a hand edit) leaves them in the file.
    // The INI format keeps no number kind: a number reads back as its text,
    // which every reader then treats as an unrecognised value.
    QTest::newRow("number") << QByteArray("key=42") << std::optional<QString>(u"42"_s)
                            << std::optional<QByteArray>();
    QTest::newRow("bytes") << QByteArray("key=@ByteArray(trustedOnly)") << std::optional<QString>()
                           << std::optional<QByteArray>(QByteArrayLiteral("trustedOnly"));
    QTest::newRow("list") << QByteArray("key=a, b") << std::optional<QString>()
                          << std::optional<QByteArray>();
    QTest::newRow("point") << QByteArray("key=@Point(1 2)") << std::optional<QString>()
                           << std::optional<QByteArray>();
    QTest::newRow("truncated bytes")
        << QByteArray("key=@ByteArray(") << std::optional<QString>(u"@ByteArray("_s)
        << std::optional<QByteArray>();
}

void tst_SettingsPreferencesStore::foreignValuesReadAsNothing()
{
    QFETCH(QByteArray, line);
    QFETCH(std::optional<QString>, text);
    QFETCH(std::optional<QByteArray>, bytes);
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\n" + line + '\n');
    }
    SettingsPreferencesStore store(settingsPath());
    QCOMPARE(store.string(u"key"_s), text);
    QCOMPARE(store.data(u"key"_s), bytes);
}

void tst_SettingsPreferencesStore::corruptFileReadsAsEmpty()
{
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray garbage("\xff\xfe\x00[[[=\n@ByteArray(\n");
        garbage.append(QByteArray(4096, '\x01'));
        file.write(garbage);
    }
    SettingsPreferencesStore store(settingsPath());
    QCOMPARE(store.string(u"velmora_filter_mode_v1"_s), std::nullopt);
    QCOMPARE(store.data(u"velmora_trusted_shops_v1"_s), std::nullopt);
    store.setString(u"velmora_filter_mode_v1"_s, u"trustedOnly"_s);
    QCOMPARE(store.string(u"velmora_filter_mode_v1"_s), std::optional<QString>(u"trustedOnly"_s));
}

void tst_SettingsPreferencesStore::writesAnnounceTheirKey()
{
    SettingsPreferencesStore store(settingsPath());
    QSignalSpy spy(&store, &PreferencesStore::valueChanged);
    store.setString(u"a"_s, u"x"_s);
    store.setData(u"b"_s, QByteArrayLiteral("y"));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), u"a"_s);
    QCOMPARE(spy.at(1).at(0).toString(), u"b"_s);
}

void tst_SettingsPreferencesStore::readOnlyStoreReadsThroughAndDropsWrites()
{
    SettingsPreferencesStore source(settingsPath());
    source.setString(u"mode"_s, u"googleWeb"_s);
    source.setData(u"list"_s, QByteArrayLiteral("[]"));

    ReadOnlyPreferencesStore readOnly(source);
    QSignalSpy spy(&readOnly, &PreferencesStore::valueChanged);
    QCOMPARE(readOnly.string(u"mode"_s), std::optional<QString>(u"googleWeb"_s));
    QCOMPARE(readOnly.data(u"list"_s), std::optional<QByteArray>(QByteArrayLiteral("[]")));

    readOnly.setString(u"mode"_s, u"googleShopping"_s);
    readOnly.setData(u"list"_s, QByteArrayLiteral("[1]"));
    readOnly.setString(u"new"_s, u"x"_s);
    QCOMPARE(source.string(u"mode"_s), std::optional<QString>(u"googleWeb"_s));
    QCOMPARE(source.data(u"list"_s), std::optional<QByteArray>(QByteArrayLiteral("[]")));
    QCOMPARE(source.string(u"new"_s), std::nullopt);
    QCOMPARE(spy.count(), 0);
}

QTEST_GUILESS_MAIN(tst_SettingsPreferencesStore)
#include "tst_settingspreferencesstore.moc"
