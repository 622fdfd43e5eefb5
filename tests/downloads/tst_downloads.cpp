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
    void savedNames_data();
    void savedNames();
    void finishedItemsStayFinished();
};

void TestDownloads::savedNames_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QStringList>("existing"); // in the folder; "name -> target" is a link
    QTest::addColumn<QStringList>("taken"); // by downloads still running
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("executable"); // saving it asks first
    const auto add = [](const char *name, const QString &suggested, const QString &saved,
                        bool executable = false) {
        QTest::newRow(name) << suggested << QStringList() << QStringList() << saved << executable;
    };
    add("japanese", u"注文確認書 2024.pdf"_s, u"注文確認書 2024.pdf"_s);
    add("parent folders", u"../../.config/autostart/x.desktop"_s, u"x.desktop"_s, true);
    add("windows path", u"C:\\Users\\a\\evil.pdf"_s, u"evil.pdf"_s);
    add("hidden file", u".bashrc"_s, u"bashrc"_s);
    add("dots only", u".."_s, u"download"_s);
    add("control characters", u"a\nb\tc\x01.pdf"_s, u"abc.pdf"_s);
    // Room is left for the ".download" the engine appends while writing, so
    // 246 bytes of UTF-8 at most, cut between characters, extension kept.
    add("too long", QString(300, u'あ') + u".pdf"_s, QString(80, u'あ') + u".pdf"_s);
    add("just too long", QString(247, u'a'), QString(246, u'a'));
    // Program files, however their type is spelt.
    for (const QString &name :
         {u"SETUP.EXE"_s, u"setup.exe."_s, u"invoice.pdf.scr"_s, u"Viewer-x86_64.AppImage"_s,
          u"driver.RUN"_s, u"tool-1.0.x86_64.rpm"_s})
        add(qPrintable(u"program: "_s + name), name, name, true);
    add("json is not js", u"data.json"_s, u"data.json"_s);
    add("name only", u"exe"_s, u"exe"_s);

    // Never over a file, nor through a link, whose target it would create
    // wherever that is.
    const auto inFolder
        = [](const char *name, const QStringList &existing, const QStringList &taken,
             const QString &fileName, const QString &saved) {
              QTest::newRow(name) << fileName << existing << taken << saved << false;
          };
    inFolder("dangling link", {u"a.pdf -> ../outside.pdf"_s}, {}, u"a.pdf"_s, u"a (1).pdf"_s);
    inFolder("link to a file", {u"b.pdf"_s, u"a.pdf -> b.pdf"_s}, {}, u"a.pdf"_s, u"a (1).pdf"_s);
    inFolder("first copy", {u"a.pdf"_s}, {}, u"a.pdf"_s, u"a (1).pdf"_s);
    inFolder("next free number", {u"a.pdf"_s, u"a (1).pdf"_s}, {u"a (2).pdf"_s}, u"a.pdf"_s,
             u"a (3).pdf"_s);
    inFolder("still downloading", {}, {u"a.pdf"_s}, u"a.pdf"_s, u"a (1).pdf"_s);
    inFolder("two-part extension", {u"src.tar.gz"_s}, {}, u"src.tar.gz"_s, u"src (1).tar.gz"_s);
    inFolder("no extension", {u"README"_s}, {}, u"README"_s, u"README (1)"_s);
}

void TestDownloads::savedNames()
{
    QFETCH(QString, suggested);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, taken);
    QFETCH(QString, saved);
    QFETCH(bool, executable);
    QTemporaryDir dir;
    for (const QString &entry : std::as_const(existing)) {
        const QStringList link = entry.split(u" -> "_s);
        if (link.size() == 2)
            QVERIFY(QFile::link(link[1], dir.filePath(link[0])));
        else
            writeBytes(dir.filePath(entry), {});
    }
    const QString name
        = DownloadFileName::unused(QDir(dir.path()), DownloadFileName::sanitized(suggested),
                                   QSet<QString>(taken.cbegin(), taken.cend()));
    QCOMPARE(name, saved);
    QCOMPARE(DownloadFileName::isExecutable(name), executable);
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
