// Renders the settings tabs the README shows. It runs only when asked for
// (scripts/test.sh -L screenshots). With VELMORA_SCREENSHOT_DIR set, it saves
// each picture there as PNG:
//   VELMORA_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=offscreen
//       build/tests/views/tst_viewscreenshots
#include "support/TestStores.h"
#include "views/common/RuleListView.h"
#include "views/settings/SettingsView.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

class TestViewScreenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void settingsTabs_data();
    void settingsTabs();
};

void TestViewScreenshots::settingsTabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::newRow("shops") << 1;
    QTest::newRow("subscriptions") << 3;
}

void TestViewScreenshots::settingsTabs()
{
    QFETCH(int, tab);

    // A switched-off shop, a list read from a file with lines it skipped,
    // and one whose download failed, to show every state.
    TestStores env;
    env.ruleStore.toggleShop(env.ruleStore.trustedShops().at(1).id);
    QFile file(env.dir.filePath(u"local-list.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# Title: 地域の詐欺ショップ報告\n*://*.fake-shop.example/*\n"
               "*://*.co.jp/*\nhttps://*zilla.example/\n/unclosed(/\n");
    file.close();
    QVERIFY(env.subscriptionStore.importFile(file.fileName()).succeeded());
    QSignalSpy finished(&env.subscriptionStore, &SubscriptionStore::updateFinished);
    QVERIFY(env.subscriptionStore.add(u"https://127.0.0.1:1/lists/shops.txt"_s).succeeded());
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 20000);

    SettingsView view(env.themeManager, env.ruleStore, env.subscriptionStore);
    view.resize(900, 620);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.tabs()->setCurrentIndex(tab);
    if (auto *list = view.tabs()->currentWidget()->findChild<RuleListView *>(u"subscriptionList"_s))
        list->setCurrentIndex(list->model()->index(1, 0));
    QCoreApplication::processEvents();
    const QPixmap picture = view.grab();
    QVERIFY(!picture.isNull());

    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        const QString name = u"settings-"_s + QString::fromLatin1(QTest::currentDataTag());
        QVERIFY(picture.save(QDir(folder).filePath(name + u".png"_s)));
    }
}

QTEST_MAIN(TestViewScreenshots)
#include "tst_viewscreenshots.moc"
