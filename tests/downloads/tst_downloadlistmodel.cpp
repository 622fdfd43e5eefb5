#include "downloads/DownloadListModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDownloadListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void finishedItemsStayFinished();
};

void TestDownloadListModel::finishedItemsStayFinished()
{
    DownloadListModel model;
    DownloadItem item;
    item.fileName = u"a.pdf"_s;
    const int done = model.append(item);
    item.fileName = u"b.pdf"_s;
    const int running = model.append(item);
    QCOMPARE_NE(done, running);
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

QTEST_APPLESS_MAIN(TestDownloadListModel)
#include "tst_downloadlistmodel.moc"
