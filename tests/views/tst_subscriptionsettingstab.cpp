#include "views/settings/SubscriptionSettingsTab.h"

#include "rules/RuleListModel.h"
#include "support/TestStores.h"
#include "views/common/RuleListView.h"
#include "views/settings/AddSubscriptionSheet.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What the rows show: name, address, status and error lines.
QStringList rows(SubscriptionSettingsTab &tab)
{
    QStringList shown;
    const QAbstractItemModel *model = tab.listView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        shown.append(QStringList {index.data().toString(),
                                  index.data(RuleListModel::DetailRole).toString(),
                                  index.data(RuleListModel::StatusRole).toString(),
                                  index.data(RuleListModel::ErrorRole).toString()}
                         .join(u'|'));
    }
    return shown;
}

struct Fixture : TestStores
{
    SubscriptionSettingsTab tab {subscriptionStore, ruleStore, themeManager};
};

} // namespace

class TestSubscriptionSettingsTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void addingRefusesOrSubscribes_data();
    void addingRefusesOrSubscribes();
    void droppedFileIsImportedAndRemovedOnlyWhenConfirmed();
    void updatesShowTheirProgress();
    void exportsTheEnabledPatterns();

private:
    std::unique_ptr<Fixture> m_env;
    SubscriptionSettingsTab *m_tab = nullptr;
};

void TestSubscriptionSettingsTab::init()
{
    m_env = std::make_unique<Fixture>();
    m_tab = &m_env->tab;
    m_tab->resize(800, 560);
    m_tab->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tab));
}

void TestSubscriptionSettingsTab::addingRefusesOrSubscribes_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("refusal"); // empty: subscribed

    QTest::newRow("not https") << u"http://lists.example/shops.txt"_s
                               << u"https:// で始まるアドレスだけを購読できます。"_s;
    // Nothing listens there: subscribed, and the failed download shows.
    QTest::newRow("subscribed") << u" https://127.0.0.1:1/shops.txt "_s << QString();
}

void TestSubscriptionSettingsTab::addingRefusesOrSubscribes()
{
    QFETCH(QString, address);
    QFETCH(QString, refusal);

    const QStringList before = rows(*m_tab);
    QTest::mouseClick(m_tab->findChild<QPushButton *>(u"addSubscriptionButton"_s), Qt::LeftButton);
    AddSubscriptionSheet *sheet = m_tab->addSubscriptionSheet();
    QTRY_VERIFY(sheet->isVisible());
    auto *field = sheet->findChild<QLineEdit *>(u"newSubscriptionAddressField"_s);
    QTest::keyClicks(field, address);
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"addSubscriptionConfirmButton"_s),
                      Qt::LeftButton);

    if (!refusal.isEmpty()) {
        // The sheet stays with what was typed and says why.
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->refusal(), refusal);
        QCOMPARE(field->text(), address);
        QCOMPARE(rows(*m_tab), before);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(sheet->refusal(), QString());
        return;
    }
    QTRY_VERIFY(!sheet->isVisible());
    QCOMPARE(field->text(), QString());
    QCOMPARE(m_tab->findChild<QLabel *>(u"subscriptionListTitle"_s)->text(),
             u"購読中のブロックリスト (2件)"_s);
    QTRY_COMPARE(rows(*m_tab).constLast(),
                 u"127.0.0.1|https://127.0.0.1:1/shops.txt|ルール 0件・未取得|"
                 u"サーバーに接続できませんでした（127.0.0.1）。"_s);
}

void TestSubscriptionSettingsTab::droppedFileIsImportedAndRemovedOnlyWhenConfirmed()
{
    const QString path = m_env->dir.filePath(u"dropped.txt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# Title: 持ち込みリスト\n*://*.fake-shop.example/*\nnot a rule\n"
               "*://market.example/scam/*\n");
    file.close();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = m_tab->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_tab, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_tab, &drop);

    QCOMPARE(rows(*m_tab).size(), 2);
    QVERIFY(rows(*m_tab).constLast().startsWith(u"持ち込みリスト|"_s + path
                                                + u"|ルール 2件・読み込み "_s));
    QVERIFY(rows(*m_tab).constLast().endsWith(u"・読み飛ばした行 1|"_s));
    // The new list is chosen, with its skipped line.
    QCOMPARE(m_tab->findChild<QPlainTextEdit *>(u"subscriptionProblems"_s)->toPlainText(),
             u"「持ち込みリスト」で読み飛ばした行:\n3行目: ルールの形式ではありません"_s);

    // Removing asks first.
    RuleListView *list = m_tab->listView();
    const QModelIndex index = list->model()->index(1, 0);
    const QRect remove = m_tab->rowDelegate()->partRect(RuleRowDelegate::Part::remove,
                                                        list->visualRect(index), index);
    for (const QString &answer :
         {u"removeSubscriptionCancelButton"_s, u"removeSubscriptionConfirmButton"_s}) {
        QCOMPARE(rows(*m_tab).size(), 2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, remove.center());
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        QWidget *box = QApplication::activeModalWidget();
        QTest::mouseClick(box->findChild<QPushButton *>(answer), Qt::LeftButton);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
    QCOMPARE(rows(*m_tab).size(), 1);
}

void TestSubscriptionSettingsTab::updatesShowTheirProgress()
{
    // Take the connections and answer nothing until told to; one each, as
    // a client waits for one https connection to a server before opening
    // another.
    QTcpServer servers[2];
    QList<QTcpSocket *> waiting;
    SubscriptionStore &store = m_env->subscriptionStore;
    for (QTcpServer &server : servers) {
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                waiting.append(socket);
        });
        QVERIFY(store.add(u"https://127.0.0.1:%1/list.txt"_s.arg(server.serverPort())).succeeded());
    }

    auto *label = m_tab->findChild<QLabel *>(u"subscriptionUpdateLabel"_s);
    auto *progress = m_tab->findChild<QProgressBar *>(u"subscriptionUpdateProgress"_s);
    QTRY_COMPARE(waiting.size(), 2);
    QVERIFY(progress->isVisible());
    QCOMPARE(label->text(), u"リストを更新中… (0/2)"_s);
    QVERIFY(rows(*m_tab).constLast().contains(u"・更新中…|"_s));

    waiting.takeFirst()->close();
    QTRY_COMPARE(label->text(), u"リストを更新中… (1/2)"_s);
    waiting.takeFirst()->close();
    QTRY_VERIFY(!progress->isVisible());
    QVERIFY(!rows(*m_tab).constLast().contains(u"更新中"_s));
}

void TestSubscriptionSettingsTab::exportsTheEnabledPatterns()
{
    SecurityRuleStore &rules = m_env->ruleStore;
    rules.addCustomPattern(u"bad-shop.example"_s, QString());
    rules.addCustomPattern(u"with/path"_s, QString());
    rules.togglePattern(rules.excludedPatterns().at(0).id); // "*.top" off
    const QString path = m_env->dir.filePath(u"own.txt"_s);
    m_tab->exportPatterns(path);

    QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
    auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QCOMPARE(message->text(),
             u"除外パターン %1件を書き出しました。"_s.arg(rules.excludedPatterns().size() - 2));
    QVERIFY(message->informativeText().endsWith(u"\nwith/path"_s));
    message->accept();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("\n*://*.bad-shop.example/*\n"));
    QVERIFY(!text.contains("*.top/"));
}

QTEST_MAIN(TestSubscriptionSettingsTab)
#include "tst_subscriptionsettingstab.moc"
