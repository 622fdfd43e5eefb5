#include "views/settings/SettingsView.h"

#include "prefs/FileBytes.h"
#include "rules/DefaultRules.h"
#include "rules/RuleListModel.h"
#include "support/Screenshots.h"
#include "support/TestStores.h"
#include "views/common/RuleListView.h"
#include "views/settings/AboutTab.h"
#include "views/settings/AddRuleSheet.h"
#include "views/settings/AddSubscriptionSheet.h"
#include "views/settings/ExclusionRuleSettingsTab.h"
#include "views/settings/RuleRowDelegate.h"
#include "views/settings/SubscriptionSettingsTab.h"
#include "views/settings/ThemeCard.h"
#include "views/settings/TrustedShopSettingsTab.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int shopsTab = 1;
constexpr int patternsTab = 2;
constexpr int subscriptionsTab = 3;

// What a rule list tab stores, one row per rule: a shop's name, domain,
// category and template, or a pattern and its reason, then its switch.
QList<QStringList> storedRules(const SecurityRuleStore &store, int tab)
{
    const auto flag = [](bool on) { return on ? u"on"_s : u"off"_s; };
    QList<QStringList> rules;
    if (tab == shopsTab) {
        for (const TrustedShop &s : store.trustedShops())
            rules.append({s.name, s.domain, s.category, s.searchUrlTemplate, flag(s.isEnabled)});
    } else {
        for (const ExcludedPattern &p : store.excludedPatterns())
            rules.append({p.pattern, p.reason, flag(p.isEnabled)});
    }
    return rules;
}

std::unique_ptr<SettingsView> makeView(TestStores &env, int tab = 0)
{
    auto view
        = std::make_unique<SettingsView>(env.themeManager, env.ruleStore, env.subscriptionStore);
    view->resize(900, 620);
    view->tabs()->setCurrentIndex(tab);
    view->show();
    return view;
}

RuleListSettingsTab *ruleTab(SettingsView &view, int tab)
{
    if (tab == shopsTab)
        return view.trustedShopTab();
    return tab == patternsTab ? static_cast<RuleListSettingsTab *>(view.exclusionRuleTab())
                              : view.subscriptionTab();
}

// Where the row's switch or delete button is painted, in the list's
// viewport; empty for a row without one.
QRect partRect(SettingsView &view, int tab, int row, RuleRowDelegate::Part part)
{
    RuleListView *rules = ruleTab(view, tab)->listView();
    const QModelIndex index = rules->model()->index(row, 0);
    rules->scrollTo(index);
    return ruleTab(view, tab)->rowDelegate()->partRect(part, rules->visualRect(index), index);
}

void click(SettingsView &view, int tab, int row, RuleRowDelegate::Part part)
{
    QTest::mouseClick(ruleTab(view, tab)->listView()->viewport(), Qt::LeftButton, {},
                      partRect(view, tab, row, part).center());
}

QString listTitle(SettingsView &view, int tab)
{
    RuleListSettingsTab *list = ruleTab(view, tab);
    return list->findChild<QLabel *>(list->listView()->objectName() + u"Title"_s)->text();
}

// What the subscription rows show: name, address, status and error lines.
QStringList subscriptionRows(SettingsView &view)
{
    QStringList shown;
    const QAbstractItemModel *model = view.subscriptionTab()->listView()->model();
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

// Opens the tab's sheet with its add button, as a user does.
AddRuleSheet *openSheet(SettingsView &view, int tab)
{
    view.tabs()->setCurrentIndex(tab);
    const QString name = tab == shopsTab ? u"addShop"_s : u"addPattern"_s;
    QTest::mouseClick(view.findChild<QPushButton *>(name + u"Button"_s), Qt::LeftButton);
    auto *sheet = view.findChild<AddRuleSheet *>(name + u"Sheet"_s);
    return sheet && QTest::qWaitFor([sheet] { return sheet->isVisible(); }) ? sheet : nullptr;
}

// Answers the question that is up with the named button.
bool answer(const QString &button)
{
    const auto box = [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); };
    if (!QTest::qWaitFor([&box] { return box() != nullptr; }))
        return false;
    QTest::mouseClick(box()->findChild<QPushButton *>(button), Qt::LeftButton);
    return QTest::qWaitFor([&box] { return box() == nullptr; });
}

} // namespace

class TestSettingsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void themeCardBecomesTheOnlyCurrentOne();
    void addingARuleStoresWhatWasTypedUntilDeleted_data();
    void addingARuleStoresWhatWasTypedUntilDeleted();
    void resetOnlyOnConfirmation();
    void addingASubscriptionRefusesOrSubscribes_data();
    void addingASubscriptionRefusesOrSubscribes();
    void droppedFileIsImportedAndRemovedOnlyWhenConfirmedAndPatternsExported();
    void settingsTabs_data();
    void settingsTabs();
};

void TestSettingsView::themeCardBecomesTheOnlyCurrentOne()
{
    TestStores env;
    auto view = makeView(env);
    // Its content fits the smallest settings window.
    QVERIFY(view->minimumSizeHint().width() <= 600 && view->minimumSizeHint().height() <= 480);

    auto *purple = view->findChild<ThemeCard *>(u"themeCard_cyberPurple"_s);
    QTest::mouseClick(purple, Qt::LeftButton);
    QCOMPARE(env.themeManager.currentTheme(), AppTheme::cyberPurple);
    for (ThemeCard *card : view->findChildren<ThemeCard *>())
        QCOMPARE(card->isChecked(), card == purple);
}

void TestSettingsView::addingARuleStoresWhatWasTypedUntilDeleted_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("stored"); // empty: the add button stays off
    QTest::addColumn<QString>("refusal"); // or the sheet refuses the add

    // The store lower-cases and trims the domain and drops direction
    // overrides from the name; the template keeps it as typed.
    QTest::newRow("shop, defaults filled in")
        << shopsTab << QStringList {u"マイ\u202Eショップ"_s, u" My-Shop.JP "_s, {}, {}}
        << QStringList {u"マイショップ"_s, u"my-shop.jp"_s, u"一般"_s,
                        u"https://www.google.co.jp/search?q=site: My-Shop.JP +{query}"_s, u"on"_s}
        << QString();
    QTest::newRow("shop without domain")
        << shopsTab << QStringList {u"Shop"_s, {}, u"c"_s, u"t"_s} << QStringList() << QString();
    QTest::newRow("shop without name")
        << shopsTab << QStringList {{}, u"shop.jp"_s, {}, {}} << QStringList() << QString();
    QTest::newRow("shop on a suffix many sites share")
        << shopsTab << QStringList {u"Com"_s, u" CO.JP "_s, {}, {}} << QStringList()
        << u"「CO.JP」は多くのサイトが共有するドメイン (com や co.jp など) のため、ショップのドメインにできません"_s;
    QTest::newRow("pattern, default reason")
        << patternsTab << QStringList {u"*.SCAM "_s, {}}
        << QStringList {u"*.scam"_s, u"ユーザー指定除外パターン"_s, u"on"_s} << QString();
    QTest::newRow("pattern missing")
        << patternsTab << QStringList {{}, u"理由"_s} << QStringList() << QString();
}

void TestSettingsView::addingARuleStoresWhatWasTypedUntilDeleted()
{
    QFETCH(int, tab);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, stored);
    QFETCH(QString, refusal);

    TestStores env;
    auto view = makeView(env);
    const QList<QStringList> before = storedRules(env.ruleStore, tab);
    AddRuleSheet *sheet = openSheet(*view, tab);
    QVERIFY(sheet);
    const QList<QLineEdit *> fields = sheet->findChildren<QLineEdit *>();
    QCOMPARE(fields.size(), typed.size());
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i)->insert(typed.at(i));
    const QString buttons = sheet->objectName().chopped(5); // "Sheet"
    auto *add = sheet->findChild<QPushButton *>(buttons + u"ConfirmButton"_s);
    QCOMPARE(add->isEnabled(), !stored.isEmpty() || !refusal.isEmpty());
    if (!refusal.isEmpty()) {
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->refusal(), refusal);
        QCOMPARE(storedRules(env.ruleStore, tab), before);
        return;
    }

    if (stored.isEmpty()) {
        // Cancelling adds nothing and keeps the fields for the next opening.
        QTest::mouseClick(sheet->findChild<QPushButton *>(buttons + u"CancelButton"_s),
                          Qt::LeftButton);
        QTRY_VERIFY(!sheet->isVisible());
        QCOMPARE(openSheet(*view, tab), sheet);
        QCOMPARE(fields.at(0)->text(), typed.at(0));
        QCOMPARE(storedRules(env.ruleStore, tab), before);
        return;
    }
    QTest::mouseClick(add, Qt::LeftButton);
    QTRY_VERIFY(!sheet->isVisible());
    for (QLineEdit *field : fields)
        QVERIFY(field->text().isEmpty());
    QCOMPARE(storedRules(env.ruleStore, tab), before + QList<QStringList> {stored});
    QVERIFY(listTitle(*view, tab).contains(u"(%1件)"_s.arg(before.size() + 1)));

    // The new last row switches its rule off, and only it can be deleted.
    const int row = int(before.size());
    click(*view, tab, row, RuleRowDelegate::Part::toggle);
    QCOMPARE(storedRules(env.ruleStore, tab).constLast().constLast(), u"off"_s);
    QVERIFY(partRect(*view, tab, 0, RuleRowDelegate::Part::remove).isEmpty());
    click(*view, tab, row, RuleRowDelegate::Part::remove);
    QTRY_COMPARE(storedRules(env.ruleStore, tab), before);
    QVERIFY(listTitle(*view, tab).contains(u"(%1件)"_s.arg(before.size())));
}

void TestSettingsView::resetOnlyOnConfirmation()
{
    TestStores env;
    SecurityRuleStore &store = env.ruleStore;
    store.addCustomShop(u"テスト店"_s, u"test-shop.jp"_s, u"一般"_s, u"t"_s);
    const QList<TrustedShop> changed = store.trustedShops();
    auto view = makeView(env);

    view->tabs()->setCurrentWidget(view->aboutTab()->parentWidget());
    for (const QString &button : {u"resetCancelButton"_s, u"resetConfirmButton"_s}) {
        QCOMPARE(store.trustedShops(), changed);
        QTest::mouseClick(view->findChild<QPushButton *>(u"resetRulesButton"_s), Qt::LeftButton);
        QVERIFY(answer(button));
        // Gone, not only closed: the view asks once at a time.
        QTRY_VERIFY(!view->findChild<QMessageBox *>());
    }
    // What a reset restores is the store's (tst_securityrulestore).
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(ruleTab(*view, shopsTab)->listView()->model()->rowCount(),
             defaultTrustedShops().size());
}

void TestSettingsView::addingASubscriptionRefusesOrSubscribes_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("refusal"); // empty: subscribed

    QTest::newRow("not https") << u"http://lists.example/shops.txt"_s
                               << u"https:// で始まるアドレスだけを購読できます。"_s;
    // Nothing listens there: subscribed, and the failed download shows.
    QTest::newRow("subscribed") << u" https://127.0.0.1:1/shops.txt "_s << QString();
}

void TestSettingsView::addingASubscriptionRefusesOrSubscribes()
{
    QFETCH(QString, address);
    QFETCH(QString, refusal);
    TestStores env;
    auto view = makeView(env, subscriptionsTab);

    const QStringList before = subscriptionRows(*view);
    QTest::mouseClick(view->findChild<QPushButton *>(u"addSubscriptionButton"_s), Qt::LeftButton);
    AddSubscriptionSheet *sheet = view->subscriptionTab()->addSubscriptionSheet();
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
        QCOMPARE(subscriptionRows(*view), before);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(sheet->refusal(), QString());
        return;
    }
    QTRY_VERIFY(!sheet->isVisible());
    QCOMPARE(field->text(), QString());
    QCOMPARE(listTitle(*view, subscriptionsTab), u"購読中のブロックリスト (2件)"_s);
    QTRY_COMPARE(subscriptionRows(*view).constLast(),
                 u"127.0.0.1|https://127.0.0.1:1/shops.txt|ルール 0件・未取得|"
                 u"サーバーに接続できませんでした（127.0.0.1）。"_s);
}

void TestSettingsView::droppedFileIsImportedAndRemovedOnlyWhenConfirmedAndPatternsExported()
{
    TestStores env;
    auto view = makeView(env, subscriptionsTab);
    const QString path = env.dir.filePath(u"dropped.txt"_s);
    // A title with markup in it is a name like any other.
    writeBytes(path,
               "# Title: <i>持ち込み</i>リスト\n*://*.fake-shop.example/*\nnot a rule\n"
               "*://market.example/scam/*\n");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    SubscriptionSettingsTab *tab = view->subscriptionTab();
    const QPoint at = tab->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tab, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tab, &drop);

    const QStringList rows = subscriptionRows(*view);
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows.constLast().startsWith(u"<i>持ち込み</i>リスト|"_s + path
                                        + u"|ルール 2件・読み込み "_s));
    QVERIFY(rows.constLast().endsWith(u"・読み飛ばした行 1|"_s));
    // The new list is chosen, with its skipped line.
    QCOMPARE(tab->findChild<QPlainTextEdit *>(u"subscriptionProblems"_s)->toPlainText(),
             u"「<i>持ち込み</i>リスト」で読み飛ばした行:\n3行目: ルールの形式ではありません"_s);

    for (const QString &button :
         {u"removeSubscriptionCancelButton"_s, u"removeSubscriptionConfirmButton"_s}) {
        QCOMPARE(subscriptionRows(*view).size(), 2);
        click(*view, subscriptionsTab, 1, RuleRowDelegate::Part::remove);
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
        QCOMPARE(box->text(), u"「<i>持ち込み</i>リスト」の購読をやめますか？"_s);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(answer(button));
    }
    QCOMPARE(subscriptionRows(*view).size(), 1);

    // The own patterns switched on go out to a file, and the user is told.
    SecurityRuleStore &rules = env.ruleStore;
    rules.addCustomPattern(u"bad-shop.example"_s, QString());
    rules.addCustomPattern(u"with/path"_s, QString());
    rules.togglePattern(rules.excludedPatterns().at(0).id); // "*.top" off
    const QString own = env.dir.filePath(u"own.txt"_s);
    view->subscriptionTab()->exportPatterns(own);

    QMessageBox *message = nullptr;
    QTRY_VERIFY((message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
    QVERIFY(message->text().startsWith(
        u"除外パターン %1件を書き出しました。"_s.arg(rules.excludedPatterns().size() - 2)));
    QVERIFY(message->text().endsWith(u"\nwith/path"_s));
    message->accept();
    // What the file holds is the exporter's (tst_blocklist, tst_subscriptionstore).
    QVERIFY(QFile::exists(own));
}

void TestSettingsView::settingsTabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::newRow("shops") << shopsTab;
    QTest::newRow("subscriptions") << subscriptionsTab;
}

// The settings pictures the README shows.
void TestSettingsView::settingsTabs()
{
    QFETCH(int, tab);
    if (!screenshotsWanted())
        QSKIP("VELMORA_SCREENSHOT_DIR is not set");

    // A switched-off shop, a list read from a file with lines it skipped,
    // and one whose download failed, to show every state.
    TestStores env;
    env.ruleStore.toggleShop(env.ruleStore.trustedShops().at(1).id);
    const QString file = env.dir.filePath(u"local-list.txt"_s);
    writeBytes(file,
               "# Title: 地域の詐欺ショップ報告\n*://*.fake-shop.example/*\n"
               "*://*.co.jp/*\nhttps://*zilla.example/\n/unclosed(/\n");
    QVERIFY(env.subscriptionStore.importFile(file).succeeded());
    QSignalSpy finished(&env.subscriptionStore, &SubscriptionStore::updateFinished);
    QVERIFY(env.subscriptionStore.add(u"https://127.0.0.1:1/lists/shops.txt"_s).succeeded());
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 20000);

    auto view = makeView(env, tab);
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    RuleListView *list = view->subscriptionTab()->listView();
    list->setCurrentIndex(list->model()->index(1, 0));
    QCoreApplication::processEvents();
    QVERIFY(saveScreenshot(view.get(),
                           u"settings-%1.png"_s.arg(QLatin1StringView(QTest::currentDataTag()))));
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
