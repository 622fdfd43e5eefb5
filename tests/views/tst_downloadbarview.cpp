#include "views/downloads/DownloadBarView.h"

#include "browser/DownloadManager.h"
#include "support/TestStores.h"
#include "views/downloads/DownloadItemView.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// Records what the bar asks the desktop to open, instead of opening it.
class OpenedUrls final : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

Q_DECLARE_METATYPE(DownloadItem::State)

class TestDownloadBarView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachStateShowsWhatCanBeDone_data();
    void eachStateShowsWhatCanBeDone();
    void programIsSavedOnlyWhenTheUserSaysSo();
};

void TestDownloadBarView::eachStateShowsWhatCanBeDone_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<DownloadItem::State>("state");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("buttons");
    using S = DownloadItem::State;
    QTest::newRow("running") << u"receipt.pdf"_s << S::inProgress << u"1.5 MB / 3.0 MB"_s
                             << QStringList {u"キャンセル"_s};
    QTest::newRow("done") << u"receipt.pdf"_s << S::completed << u"完了 — 3.0 MB"_s
                          << QStringList {u"開く"_s, u"フォルダに表示"_s};
    // Opening a program would run it.
    QTest::newRow("program done") << u"setup.exe"_s << S::completed << u"完了 — 3.0 MB"_s
                                  << QStringList {u"フォルダに表示"_s};
    QTest::newRow("refused") << u"receipt.pdf"_s << S::refused << u"ブロックしました: 理由"_s
                             << QStringList();
}

void TestDownloadBarView::eachStateShowsWhatCanBeDone()
{
    QFETCH(QString, fileName);
    QFETCH(DownloadItem::State, state);
    QFETCH(QString, status);
    QFETCH(QStringList, buttons);
    TestStores stores;
    DownloadManager manager(stores.ruleStore);
    DownloadBarView bar(manager);

    DownloadItem item;
    item.fileName = fileName;
    item.filePath = QDir(stores.dir.path()).filePath(fileName);
    item.totalBytes = 3'145'728;
    const int id = manager.model()->append(item);
    manager.model()->setProgress(id, 1'572'864, 3'145'728);
    if (state == DownloadItem::State::completed)
        manager.model()->setProgress(id, 3'145'728, 3'145'728);
    if (state != DownloadItem::State::inProgress)
        manager.model()->setState(id, state, {u"理由"_s});
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));

    auto *view = bar.findChild<DownloadItemView *>();
    QVERIFY(view);
    QCOMPARE(view->findChild<QLabel *>(u"downloadName"_s)->text(), fileName);
    QCOMPARE(view->findChild<QLabel *>(u"downloadStatus"_s)->text(), status);

    // Each button offered is pressed: open and show-in-folder hand the file
    // and its folder to the desktop.
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
    QStringList shown;
    for (QToolButton *button : view->findChildren<QToolButton *>()) {
        if (button->isVisibleTo(view)) {
            shown.append(button->toolTip());
            button->click();
        }
    }
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QCOMPARE(shown, buttons);
    QList<QUrl> expected;
    if (buttons.contains(u"開く"_s))
        expected.append(QUrl::fromLocalFile(item.filePath));
    if (buttons.contains(u"フォルダに表示"_s))
        expected.append(QUrl::fromLocalFile(stores.dir.path()));
    QCOMPARE(opened.urls, expected);

    // Closing the bar clears what has finished.
    bar.findChild<QToolButton *>(u"downloadBarCloseButton"_s)->click();
    QVERIFY(bar.isHidden());
    QCOMPARE(manager.model()->rowCount(), state == DownloadItem::State::inProgress ? 1 : 0);
}

void TestDownloadBarView::programIsSavedOnlyWhenTheUserSaysSo()
{
    for (const bool saves : {false, true}) {
        QString text;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text() + box->informativeText();
            const QString button = saves ? u"executableSaveButton"_s : u"executableCancelButton"_s;
            box->findChild<QPushButton *>(button)->click();
        });
        QCOMPARE(DownloadBarView::askToSaveExecutable(nullptr, u"setup.exe"_s,
                                                      QUrl(u"http://shop.example.com/setup"_s)),
                 saves);
        // The question names the file and where it comes from.
        QVERIFY(text.contains(u"「setup.exe」"_s) && text.contains(u"shop.example.com"_s));
    }
}

QTEST_MAIN(TestDownloadBarView)
#include "tst_downloadbarview.moc"
