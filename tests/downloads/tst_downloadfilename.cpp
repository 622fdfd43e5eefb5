#include "downloads/DownloadFileName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDownloadFileName : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sanitized_data();
    void sanitized();
    void unusedNeverOverwrites_data();
    void unusedNeverOverwrites();
    void executableTypes_data();
    void executableTypes();
};

void TestDownloadFileName::sanitized_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("expected");
    QTest::newRow("japanese") << u"注文確認書 2024.pdf"_s << u"注文確認書 2024.pdf"_s;
    QTest::newRow("parent folders") << u"../../.config/autostart/x.desktop"_s << u"x.desktop"_s;
    QTest::newRow("windows path") << u"C:\\Users\\a\\evil.pdf"_s << u"evil.pdf"_s;
    QTest::newRow("hidden file") << u".bashrc"_s << u"bashrc"_s;
    QTest::newRow("dots only") << u".."_s << u"download"_s;
    QTest::newRow("blank") << u"   "_s << u"download"_s;
    QTest::newRow("control characters") << u"a\nb\tc\x01.pdf"_s << u"abc.pdf"_s;
    // 255 bytes of UTF-8 at most, cut between characters, extension kept.
    QTest::newRow("too long") << QString(300, u'あ') + u".pdf"_s << QString(83, u'あ') + u".pdf"_s;
}

void TestDownloadFileName::sanitized()
{
    QFETCH(QString, suggested);
    QFETCH(QString, expected);
    QCOMPARE(DownloadFileName::sanitized(suggested), expected);
}

void TestDownloadFileName::unusedNeverOverwrites_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << QStringList() << QStringList() << u"a.pdf"_s << u"a.pdf"_s;
    QTest::newRow("first copy") << QStringList {u"a.pdf"_s} << QStringList() << u"a.pdf"_s
                                << u"a (1).pdf"_s;
    QTest::newRow("next free number")
        << QStringList {u"a.pdf"_s, u"a (1).pdf"_s} << QStringList {u"a (2).pdf"_s} << u"a.pdf"_s
        << u"a (3).pdf"_s;
    QTest::newRow("still downloading")
        << QStringList() << QStringList {u"a.pdf"_s} << u"a.pdf"_s << u"a (1).pdf"_s;
    QTest::newRow("two-part extension")
        << QStringList {u"src.tar.gz"_s} << QStringList() << u"src.tar.gz"_s << u"src (1).tar.gz"_s;
    QTest::newRow("no extension") << QStringList {u"README"_s} << QStringList() << u"README"_s
                                  << u"README (1)"_s;
}

void TestDownloadFileName::unusedNeverOverwrites()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, taken);
    QFETCH(QString, fileName);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString &name : std::as_const(existing)) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QSet<QString> takenSet(taken.cbegin(), taken.cend());
    QCOMPARE(DownloadFileName::unused(QDir(dir.path()), fileName, takenSet), expected);
}

void TestDownloadFileName::executableTypes_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("executable");
    QTest::newRow("exe upper case") << u"SETUP.EXE"_s << true;
    QTest::newRow("trailing dot") << u"setup.exe."_s << true;
    QTest::newRow("double extension") << u"invoice.pdf.scr"_s << true;
    QTest::newRow("json is not js") << u"data.json"_s << false;
    QTest::newRow("name only") << u"exe"_s << false;
}

void TestDownloadFileName::executableTypes()
{
    QFETCH(QString, fileName);
    QFETCH(bool, executable);
    QCOMPARE(DownloadFileName::isExecutable(fileName), executable);
}

QTEST_APPLESS_MAIN(TestDownloadFileName)
#include "tst_downloadfilename.moc"
