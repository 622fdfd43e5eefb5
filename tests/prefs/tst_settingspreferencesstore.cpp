#include "prefs/ReadOnlyPreferencesStore.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QFile>
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
    void readOnlyStoreReadsThroughAndDropsWrites();

private:
    QString settingsPath() const { return m_dir->filePath(u"prefs.ini"_s); }
    void writeFile(const QByteArray &bytes) const
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

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
    QSignalSpy spy(&store, &PreferencesStore::valueChanged);
    store.setString(u"text"_s, u"excludeSuspicious"_s);
    store.setData(u"bytes"_s, QByteArrayLiteral("[{\"a\":1}]"));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), u"text"_s);
    QCOMPARE(spy.at(1).at(0).toString(), u"bytes"_s);

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
    QTest::newRow("point") << QByteArray("[General]\nkey=@Point(1 2)\n") << noText << noBytes;
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
