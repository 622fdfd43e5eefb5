#include "downloads/DownloadFileName.h"
#include "downloads/DownloadListModel.h"
#include "prefs/FileBytes.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDownloads : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sanitized_data();
    void sanitized();
    void unusedNeverOverwrites_data();
    void unusedNeverOverwrites();
    void executableTypes_data();
    void executableTypes();
    void finishedItemsStayFinished();
};

void TestDownloads::sanitized_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("expected");
    QTest::newRow("japanese") << u"注文確認書 2024.pdf"_s << u"注文確認書 2024.pdf"_s;
    QTest::newRow("parent folders") << u"../../.config/autostart/x.desktop"_s << u"x.desktop"_s;
    QTest::newRow("windows path") << u"C:\\Users\\a\\evil.pdf"_s << u"evil.pdf"_s;
    QTest::newRow("hidden file") << u".bashrc"_s << u"bashrc"_s;
    QTest::newRow("dots only") << u".."_s << u"download"_s;
    QTest::newRow("control characters") << u"a\nb\tc\x01.pdf"_s << u"abc.pdf"_s;
    // Room is left for the ".download" the engine appends while writing, so
    // 246 bytes of UTF-8 at most, cut between characters, extension kept.
    QTest::newRow("too long") << QString(300, u'あ') + u".pdf"_s << QString(80, u'あ') + u".pdf"_s;
    QTest::newRow("just too long") << QString(247, u'a') << QString(246, u'a');
}

void TestDownloads::sanitized()
{
    QFETCH(QString, suggested);
    QFETCH(QString, expected);
    QCOMPARE(DownloadFileName::sanitized(suggested), expected);
}

void TestDownloads::unusedNeverOverwrites_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("expected");
    const auto add = [](const char *name, const QStringList &existing, const QStringList &taken,
                        const QString &fileName, const QString &expected) {
        QTest::newRow(name) << existing << taken << fileName << expected;
    };
    // "name -> target" is a symbolic link; writing through it would create
    // its target, wherever that is.
    add("dangling link", {u"a.pdf -> ../outside.pdf"_s}, {}, u"a.pdf"_s, u"a (1).pdf"_s);
    add("link to a file", {u"b.pdf"_s, u"a.pdf -> b.pdf"_s}, {}, u"a.pdf"_s, u"a (1).pdf"_s);
    add("free", {}, {}, u"a.pdf"_s, u"a.pdf"_s);
    add("first copy", {u"a.pdf"_s}, {}, u"a.pdf"_s, u"a (1).pdf"_s);
    add("next free number", {u"a.pdf"_s, u"a (1).pdf"_s}, {u"a (2).pdf"_s}, u"a.pdf"_s,
        u"a (3).pdf"_s);
    add("still downloading", {}, {u"a.pdf"_s}, u"a.pdf"_s, u"a (1).pdf"_s);
    add("two-part extension", {u"src.tar.gz"_s}, {}, u"src.tar.gz"_s, u"src (1).tar.gz"_s);
    add("no extension", {u"README"_s}, {}, u"README"_s, u"README (1)"_s);
}

void TestDownloads::unusedNeverOverwrites()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, taken);
    QFETCH(QString, fileName);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString &entry : std::as_const(existing)) {
        const QStringList link = entry.split(u" -> "_s);
        if (link.size() == 2)
            QVERIFY(QFile::link(link[1], dir.filePath(link[0])));
        else
            writeBytes(dir.filePath(entry), {});
    }
    const QSet<QString> takenSet(taken.cbegin(), taken.cend());
    QCOMPARE(DownloadFileName::unused(QDir(dir.path()), fileName, takenSet), expected);
}

void TestDownloads::executableTypes_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("executable");
    QTest::newRow("exe upper case") << u"SETUP.EXE"_s << true;
    QTest::newRow("trailing dot") << u"setup.exe."_s << true;
    QTest::newRow("double extension") << u"invoice.pdf.scr"_s << true;
    QTest::newRow("json is not js") << u"data.json"_s << false;
    QTest::newRow("name only") << u"exe"_s << false;
    QTest::newRow("desktop entry") << u"invoice.desktop"_s << true;
    QTest::newRow("appimage") << u"Viewer-x86_64.AppImage"_s << true;
    QTest::newRow("run installer") << u"driver.RUN"_s << true;
    QTest::newRow("rpm package") << u"tool-1.0.x86_64.rpm"_s << true;
}

void TestDownloads::executableTypes()
{
    QFETCH(QString, fileName);
    QFETCH(bool, executable);
    QCOMPARE(DownloadFileName::isExecutable(fileName), executable);
}

void TestDownloads::finishedItemsStayFinished()
{
    DownloadListModel model;
    DownloadItem item;
    item.fileName = u"a.pdf"_s;
    const int done = model.append(item);
    item.fileName = u"b.pdf"_s;
    const int running = model.append(item);
    model.setProgress(running, 50, 200);
    QCOMPARE(model.data(model.index(1), DownloadListModel::ProgressRole).toDouble(), 0.25);

    model.setState(done, DownloadItem::State::cancelled);
    // What a cancelled transfer still reports afterwards changes nothing.
    QSignalSpy changes(&model, &DownloadListModel::dataChanged);
    model.setProgress(done, 10, 20);
    model.setState(done, DownloadItem::State::completed);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(model.item(done)->state, DownloadItem::State::cancelled);

    model.removeFinished();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0)).toString(), u"b.pdf"_s);
    QCOMPARE(model.item(done), nullptr);
}

QTEST_APPLESS_MAIN(TestDownloads)
#include "tst_downloads.moc"
