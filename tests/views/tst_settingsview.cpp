#include "rules/DefaultRules.h"
#include "support/TestStores.h"
#include "views/common/RuleListView.h"
#include "views/settings/AboutTab.h"
#include "views/settings/AddRuleSheet.h"
#include "views/settings/RuleRowDelegate.h"
#include "views/settings/SettingsView.h"
#include "views/settings/ThemeCard.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int shopsTab = 1;
constexpr int patternsTab = 2;

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

std::unique_ptr<SettingsView> makeView(TestStores &env)
{
    auto view
        = std::make_unique<SettingsView>(env.themeManager, env.ruleStore, env.subscriptionStore);
    view->resize(900, 620);
    view->show();
    return view;
}

RuleListView *list(SettingsView &view, int tab)
{
    return view.findChild<RuleListView *>(tab == shopsTab ? u"shopList"_s : u"patternList"_s);
}

// Where the row's switch or delete button is painted, in the list's
// viewport; empty for a row without one.
QRect partRect(SettingsView &view, int tab, int row, RuleRowDelegate::Part part)
{
    RuleListView *rules = list(view, tab);
    const QModelIndex index = rules->model()->index(row, 0);
    rules->scrollTo(index);
    const auto *delegate = static_cast<RuleRowDelegate *>(rules->itemDelegate());
    return delegate->partRect(part, rules->visualRect(index), index);
}

void click(SettingsView &view, int tab, int row, RuleRowDelegate::Part part)
{
    QTest::mouseClick(list(view, tab)->viewport(), Qt::LeftButton, {},
                      partRect(view, tab, row, part).center());
}

// The list header, with its count.
QString listTitle(SettingsView &view, int tab)
{
    return view.findChild<QLabel *>(list(view, tab)->objectName() + u"Title"_s)->text();
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

} // namespace

class TestSettingsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void themeCardBecomesTheOnlyCurrentOne();
    void addingARuleStoresWhatWasTypedUntilDeleted_data();
    void addingARuleStoresWhatWasTypedUntilDeleted();
    void resetOnlyOnConfirmation();
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

    // The store lower-cases and trims the domain; the template keeps it as typed.
    QTest::newRow("shop, defaults filled in")
        << shopsTab << QStringList {u"マイショップ"_s, u" My-Shop.JP "_s, {}, {}}
        << QStringList {u"マイショップ"_s, u"my-shop.jp"_s, u"一般"_s,
                        u"https://www.google.co.jp/search?q=site: My-Shop.JP +{query}"_s, u"on"_s};
    QTest::newRow("shop without domain")
        << shopsTab << QStringList {u"Shop"_s, {}, u"c"_s, u"t"_s} << QStringList();
    QTest::newRow("shop without name")
        << shopsTab << QStringList {{}, u"shop.jp"_s, {}, {}} << QStringList();
    QTest::newRow("pattern, default reason")
        << patternsTab << QStringList {u"*.SCAM "_s, {}}
        << QStringList {u"*.scam"_s, u"ユーザー指定除外パターン"_s, u"on"_s};
    QTest::newRow("pattern missing") << patternsTab << QStringList {{}, u"理由"_s} << QStringList();
}

void TestSettingsView::addingARuleStoresWhatWasTypedUntilDeleted()
{
    QFETCH(int, tab);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, stored);

    TestStores env;
    auto view = makeView(env);
    const QList<QStringList> before = storedRules(env.ruleStore, tab);
    AddRuleSheet *sheet = openSheet(*view, tab);
    QVERIFY(sheet);
    // The fields in the order they are shown.
    const QList<QLineEdit *> fields = sheet->findChildren<QLineEdit *>();
    QCOMPARE(fields.size(), typed.size());
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i)->insert(typed.at(i));
    const QString buttons = sheet->objectName().chopped(5); // "Sheet"
    auto *add = sheet->findChild<QPushButton *>(buttons + u"ConfirmButton"_s);
    QCOMPARE(add->isEnabled(), !stored.isEmpty());

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
    store.toggleShop(store.trustedShops().at(0).id);
    store.removePattern(store.excludedPatterns().at(0).id);
    const QList<TrustedShop> changed = store.trustedShops();
    auto view = makeView(env);

    view->tabs()->setCurrentWidget(view->aboutTab()->parentWidget());
    for (const QString &answer : {u"resetCancelButton"_s, u"resetConfirmButton"_s}) {
        QCOMPARE(store.trustedShops(), changed);
        QTest::mouseClick(view->findChild<QPushButton *>(u"resetRulesButton"_s), Qt::LeftButton);
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        QWidget *box = QApplication::activeModalWidget();
        QTest::mouseClick(box->findChild<QPushButton *>(answer), Qt::LeftButton);
        // Gone, not only closed: the view asks once at a time.
        QTRY_VERIFY(!view->findChild<QMessageBox *>());
    }
    // The switched-off shop is on again, the removed pattern is back.
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    QCOMPARE(list(*view, shopsTab)->model()->rowCount(), defaultTrustedShops().size());
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
