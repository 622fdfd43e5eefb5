#include "prefs/SettingsPreferencesStore.h"
#include "rules/DefaultRules.h"
#include "rules/SecurityRuleStore.h"
#include "support/TestStores.h"
#include "theme/ThemeManager.h"
#include "views/AddPatternSheet.h"
#include "views/AddShopSheet.h"
#include "views/InsetList.h"
#include "views/PatternRow.h"
#include "views/SettingsView.h"
#include "views/ShopRow.h"
#include "views/ThemeCard.h"
#include "views/ToggleSwitch.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

InsetList *shopList(SettingsView &view)
{
    return view.findChild<InsetList *>(u"shopList"_s);
}

ShopRow *shopRow(SettingsView &view, int index)
{
    return qobject_cast<ShopRow *>(shopList(view)->rowAt(index));
}

PatternRow *patternRow(SettingsView &view, int index)
{
    return qobject_cast<PatternRow *>(view.findChild<InsetList *>(u"patternList"_s)->rowAt(index));
}

// The headers with their counts.
QString shopTitle(SettingsView &view)
{
    return view.findChild<QLabel *>(u"shopListTitle"_s)->text();
}

QString patternTitle(SettingsView &view)
{
    return view.findChild<QLabel *>(u"patternListTitle"_s)->text();
}

QLineEdit *field(QWidget *sheet, const QString &name)
{
    return sheet->findChild<QLineEdit *>(name);
}

QPushButton *button(QWidget *parent, const QString &name)
{
    return parent->findChild<QPushButton *>(name);
}

bool visibleIn(QWidget *row, QWidget *child)
{
    return child && child->isVisibleTo(row);
}

// Opens a sheet with its tab's add button, as a user does.
template<typename Sheet> Sheet *openSheet(SettingsView &view, int tab, const QString &addButton)
{
    view.tabs()->setCurrentIndex(tab);
    QTest::mouseClick(button(&view, addButton), Qt::LeftButton);
    auto *sheet = view.findChild<Sheet *>();
    if (sheet && !QTest::qWaitFor([sheet] { return sheet->isVisible(); }))
        return nullptr;
    return sheet;
}

AddShopSheet *openShopSheet(SettingsView &view)
{
    return openSheet<AddShopSheet>(view, 1, u"addShopButton"_s);
}

AddPatternSheet *openPatternSheet(SettingsView &view)
{
    return openSheet<AddPatternSheet>(view, 2, u"addPatternButton"_s);
}

// Answers the reset confirmation of view with the named button.
void answerReset(SettingsView &view, const QString &buttonName)
{
    view.tabs()->setCurrentIndex(3);
    QTest::mouseClick(button(&view, u"resetRulesButton"_s), Qt::LeftButton);
    QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QCOMPARE(box->windowTitle(), u"ルールを初期化しますか？"_s);
    QCOMPARE(box->informativeText(),
             u"追加したカスタムショップや除外ルールがリセットされ、標準の状態に戻ります。"_s);
    QCOMPARE(button(box, u"resetConfirmButton"_s)->text(), u"初期化する"_s);
    QCOMPARE(box->buttonRole(button(box, u"resetConfirmButton"_s)), QMessageBox::DestructiveRole);
    QCOMPARE(button(box, u"resetCancelButton"_s)->text(), u"キャンセル"_s);
    QTest::mouseClick(button(box, buttonName), Qt::LeftButton);
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

} // namespace

class TestSettingsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensOnTheFirstTabEachTimeAndKeepsItsMinimumSize();
    void themeCardBecomesTheOnlyCurrentOneAndSurvivesARestart();
    void addShopButtonNeedsNameAndDomainCancelKeepsThem();
    void addingAShopStoresTheNormalisedDomainAndTheTypedTemplate();
    void addingAPatternStoresItNormalisedWithTheDefaultReason();
    void switchesFlipTheStoredFlags();
    void onlyCustomRowsCanBeDeleted();
    void resetOnlyOnConfirmationAndInEveryView();
    void aboutTabNamesTheWebEngineInUse();

private:
    std::unique_ptr<SettingsView> makeView();

    using Environment = TestStores;
    std::unique_ptr<Environment> m_env;
};

void TestSettingsView::init()
{
    m_env = std::make_unique<Environment>();
    QVERIFY(m_env->dir.isValid());
}

void TestSettingsView::cleanup()
{
    m_env.reset();
}

std::unique_ptr<SettingsView> TestSettingsView::makeView()
{
    auto view = std::make_unique<SettingsView>(m_env->themeManager, m_env->ruleStore);
    view->resize(900, 620);
    view->show();
    return view;
}

void TestSettingsView::opensOnTheFirstTabEachTimeAndKeepsItsMinimumSize()
{
    auto view = makeView();
    QTabWidget *tabs = view->tabs();
    QStringList labels;
    for (int i = 0; i < tabs->count(); ++i)
        labels.append(tabs->tabText(i));
    QCOMPARE(labels,
             (QStringList {u"外観・テーマ"_s, u"認定正規ショップ"_s, u"危険サイト除外"_s,
                           u"アプリについて"_s}));
    QCOMPARE(tabs->currentIndex(), 0);

    // The window cannot shrink below 600 x 480, and its content fits there.
    QCOMPARE(view->minimumSize(), QSize(600, 480));
    QVERIFY(view->minimumSizeHint().width() <= 600);
    QVERIFY(view->minimumSizeHint().height() <= 480);
    view->resize(300, 200);
    QVERIFY(view->width() >= 600 && view->height() >= 480);

    // A fresh view starts on the first tab with empty fields, whatever the
    // last one showed.
    AddShopSheet *sheet = openShopSheet(*view);
    QVERIFY(sheet);
    QTest::keyClicks(field(sheet, u"newShopNameField"_s), u"Left over"_s);
    QTest::mouseClick(button(sheet, u"addShopCancelButton"_s), Qt::LeftButton);
    view.reset();
    auto again = makeView();
    QCOMPARE(again->tabs()->currentIndex(), 0);
    AddShopSheet *freshSheet = openShopSheet(*again);
    QVERIFY(freshSheet);
    QVERIFY(field(freshSheet, u"newShopNameField"_s)->text().isEmpty());
}

void TestSettingsView::themeCardBecomesTheOnlyCurrentOneAndSurvivesARestart()
{
    auto view = makeView();
    const QList<ThemeCard *> cards = view->findChildren<ThemeCard *>();
    QCOMPARE(cards.size(), 8);
    auto *purple = view->findChild<ThemeCard *>(u"themeCard_cyberPurple"_s);
    QTest::mouseClick(purple, Qt::LeftButton);
    QCOMPARE(m_env->themeManager.currentTheme(), AppTheme::cyberPurple);

    const QColor base = view->palette().color(QPalette::Base);
    for (ThemeCard *card : cards) {
        const bool current = card == purple;
        QCOMPARE(card->isChecked(), current);
        // What is painted: the fill just inside the outline, and the outline.
        const QImage image = card->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const QColor fill = image.pixelColor(int(6 * ratio), image.height() / 2);
        const QColor outline = image.pixelColor(int(1 * ratio), image.height() / 2);
        QCOMPARE(fill.rgb(), current ? backgroundTint(AppTheme::cyberPurple).rgb() : base.rgb());
        QCOMPARE(outline.rgb(), current ? accentColor(AppTheme::cyberPurple).rgb() : fill.rgb());
    }

    // The next start reads the choice back.
    view.reset();
    ThemeManager restartedManager(m_env->preferences);
    QCOMPARE(restartedManager.currentTheme(), AppTheme::cyberPurple);
    SettingsView restarted(restartedManager, m_env->ruleStore);
    QVERIFY(restarted.findChild<ThemeCard *>(u"themeCard_cyberPurple"_s)->isChecked());
    QVERIFY(!restarted.findChild<ThemeCard *>(u"themeCard_corisaPink"_s)->isChecked());
}

void TestSettingsView::addShopButtonNeedsNameAndDomainCancelKeepsThem()
{
    auto view = makeView();
    AddShopSheet *sheet = openShopSheet(*view);
    QVERIFY(sheet);
    QPushButton *add = button(sheet, u"addShopConfirmButton"_s);
    QLineEdit *name = field(sheet, u"newShopNameField"_s);
    QVERIFY(!add->isEnabled());
    QTest::keyClicks(name, u"Shop"_s);
    QVERIFY(!add->isEnabled());
    name->clear();
    QTest::keyClicks(field(sheet, u"newShopDomainField"_s), u"shop.jp"_s);
    QVERIFY(!add->isEnabled());
    // Only the empty string counts: a name of one blank passes.
    QTest::keyClicks(name, u" "_s);
    QVERIFY(add->isEnabled());

    // Cancelling keeps the fields for the next opening, and adds nothing.
    QTest::mouseClick(button(sheet, u"addShopCancelButton"_s), Qt::LeftButton);
    QTRY_VERIFY(!sheet->isVisible());
    QCOMPARE(m_env->ruleStore.trustedShops().size(), 25);
    QCOMPARE(openShopSheet(*view), sheet);
    QCOMPARE(name->text(), u" "_s);
    QCOMPARE(field(sheet, u"newShopDomainField"_s)->text(), u"shop.jp"_s);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(m_env->ruleStore.trustedShops().size(), 26);
}

void TestSettingsView::addingAShopStoresTheNormalisedDomainAndTheTypedTemplate()
{
    auto view = makeView();
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (25件)"_s);
    AddShopSheet *sheet = openShopSheet(*view);
    QVERIFY(sheet);
    QCOMPARE(sheet->width(), 480);
    QCOMPARE(field(sheet, u"newShopDomainField"_s)->placeholderText(),
             u"ドメイン (例: yodobashi.com)"_s);
    QCOMPARE(field(sheet, u"newShopUrlTemplateField"_s)->placeholderText(),
             u"検索URLテンプレート (例: https://www.yodobashi.com/search?q={query})"_s);

    field(sheet, u"newShopNameField"_s)->insert(u"マイショップ"_s);
    QTest::keyClicks(field(sheet, u"newShopDomainField"_s), u" My-Shop.JP "_s);
    QTest::mouseClick(button(sheet, u"addShopConfirmButton"_s), Qt::LeftButton);
    QTRY_VERIFY(!sheet->isVisible());
    for (const QString &name : {u"newShopNameField"_s, u"newShopDomainField"_s,
                                u"newShopCategoryField"_s, u"newShopUrlTemplateField"_s})
        QVERIFY(field(sheet, name)->text().isEmpty());

    const TrustedShop added = m_env->ruleStore.trustedShops().last();
    QCOMPARE(added.searchUrlTemplate,
             u"https://www.google.co.jp/search?q=site: My-Shop.JP +{query}"_s);
    QVERIFY(added.isEnabled && added.isCustom);
    // Stored at once: the next start has it.
    QCOMPARE(SecurityRuleStore(m_env->preferences).trustedShops().last(), added);

    // The new last row, and the header count.
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (26件)"_s);
    ShopRow *row = shopRow(*view, 25);
    QCOMPARE(row->findChild<QLabel *>(u"shopNameLabel"_s)->text(), u"マイショップ"_s);
    QCOMPARE(row->findChild<QLabel *>(u"shopCategoryLabel"_s)->text(), u"(一般)"_s);
    QCOMPARE(row->findChild<QLabel *>(u"shopDomainLabel"_s)->text(), u"my-shop.jp"_s);
    QCOMPARE(row->findChild<QLabel *>(u"customBadge"_s)->text(), u"カスタム"_s);
    QVERIFY(visibleIn(row, row->findChild<QLabel *>(u"customBadge"_s)));
    QVERIFY(visibleIn(row, row->findChild<QToolButton *>(u"shopDeleteButton"_s)));

    // A filled-in category and template are kept as typed.
    sheet = openShopSheet(*view);
    QTest::keyClicks(field(sheet, u"newShopNameField"_s), u"Shop"_s);
    QTest::keyClicks(field(sheet, u"newShopDomainField"_s), u"shop.example"_s);
    field(sheet, u"newShopCategoryField"_s)->insert(u"家電・PC"_s);
    QTest::keyClicks(field(sheet, u"newShopUrlTemplateField"_s), u"https://s.example/?w={query}"_s);
    QTest::mouseClick(button(sheet, u"addShopConfirmButton"_s), Qt::LeftButton);
    QCOMPARE(m_env->ruleStore.trustedShops().last().category, u"家電・PC"_s);
    QCOMPARE(m_env->ruleStore.trustedShops().last().searchUrlTemplate,
             u"https://s.example/?w={query}"_s);
}

void TestSettingsView::addingAPatternStoresItNormalisedWithTheDefaultReason()
{
    auto view = makeView();
    QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (20件)"_s);
    AddPatternSheet *sheet = openPatternSheet(*view);
    QVERIFY(sheet);
    QCOMPARE(sheet->width(), 450);
    QCOMPARE(field(sheet, u"newPatternField"_s)->placeholderText(),
             u"除外パターン (例: *.top や example-shop.top)"_s);

    QPushButton *add = button(sheet, u"addPatternConfirmButton"_s);
    QVERIFY(!add->isEnabled());
    QTest::keyClicks(field(sheet, u"newPatternField"_s), u"*.SCAM "_s);
    // The reason may stay empty.
    QVERIFY(add->isEnabled());
    QTest::mouseClick(add, Qt::LeftButton);
    QTRY_VERIFY(!sheet->isVisible());
    QVERIFY(field(sheet, u"newPatternField"_s)->text().isEmpty());

    const ExcludedPattern added = m_env->ruleStore.excludedPatterns().last();
    QCOMPARE(added.pattern, u"*.scam"_s);
    QCOMPARE(added.reason, u"ユーザー指定除外パターン"_s);
    QVERIFY(added.isEnabled && added.isCustom);
    QCOMPARE(SecurityRuleStore(m_env->preferences).excludedPatterns().last(), added);

    QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (21件)"_s);
    PatternRow *row = patternRow(*view, 20);
    QCOMPARE(row->findChild<QLabel *>(u"patternLabel"_s)->text(), u"*.scam"_s);
    QCOMPARE(row->findChild<QLabel *>(u"patternReasonLabel"_s)->text(),
             u"ユーザー指定除外パターン"_s);
    QVERIFY(visibleIn(row, row->findChild<QLabel *>(u"customBadge"_s)));
    QVERIFY(visibleIn(row, row->findChild<QToolButton *>(u"patternDeleteButton"_s)));

    // A pattern of one blank passes the button and is stored trimmed.
    sheet = openPatternSheet(*view);
    QTest::keyClicks(field(sheet, u"newPatternField"_s), u" "_s);
    QTest::mouseClick(button(sheet, u"addPatternConfirmButton"_s), Qt::LeftButton);
    QCOMPARE(m_env->ruleStore.excludedPatterns().size(), 22);
    QCOMPARE(m_env->ruleStore.excludedPatterns().last().pattern, QString());
}

void TestSettingsView::switchesFlipTheStoredFlags()
{
    auto view = makeView();
    view->tabs()->setCurrentIndex(1);
    auto *shopSwitch = shopRow(*view, 2)->findChild<ToggleSwitch *>(u"shopSwitch"_s);
    QVERIFY(shopSwitch->isChecked());
    QTest::mouseClick(shopSwitch, Qt::LeftButton);
    QVERIFY(!shopSwitch->isChecked());
    QCOMPARE(shopList(*view)->rowCount(), 25);
    QVERIFY(!SecurityRuleStore(m_env->preferences).trustedShops().at(2).isEnabled);
    QTest::mouseClick(shopSwitch, Qt::LeftButton);
    QVERIFY(shopSwitch->isChecked());
    QVERIFY(SecurityRuleStore(m_env->preferences).trustedShops().at(2).isEnabled);

    view->tabs()->setCurrentIndex(2);
    auto *patternSwitch = patternRow(*view, 0)->findChild<ToggleSwitch *>(u"patternSwitch"_s);
    QTest::mouseClick(patternSwitch, Qt::LeftButton);
    QVERIFY(!patternSwitch->isChecked());
    QVERIFY(!SecurityRuleStore(m_env->preferences).excludedPatterns().at(0).isEnabled);
    // A change made elsewhere (another window) shows here too.
    m_env->ruleStore.togglePattern(m_env->ruleStore.excludedPatterns().at(0).id);
    QVERIFY(patternSwitch->isChecked());
}

void TestSettingsView::onlyCustomRowsCanBeDeleted()
{
    m_env->ruleStore.addCustomShop(u"Custom"_s, u"custom.example"_s, u"一般"_s, u"t"_s);
    m_env->ruleStore.addCustomPattern(u"*.bad"_s, u"r"_s);
    auto view = makeView();
    for (int i = 0; i < shopList(*view)->rowCount(); ++i) {
        ShopRow *row = shopRow(*view, i);
        const bool custom = row->shop().isCustom;
        QCOMPARE(visibleIn(row, row->findChild<QToolButton *>(u"shopDeleteButton"_s)), custom);
        QCOMPARE(visibleIn(row, row->findChild<QLabel *>(u"customBadge"_s)), custom);
    }
    for (int i = 0; i < 21; ++i) {
        PatternRow *row = patternRow(*view, i);
        const bool custom = row->pattern().isCustom;
        QCOMPARE(visibleIn(row, row->findChild<QToolButton *>(u"patternDeleteButton"_s)), custom);
    }

    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (26件)"_s);
    view->tabs()->setCurrentIndex(1);
    QTest::mouseClick(shopRow(*view, 25)->findChild<QToolButton *>(u"shopDeleteButton"_s),
                      Qt::LeftButton);
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (25件)"_s);
    QCOMPARE(shopList(*view)->rowCount(), 25);
    QCOMPARE(SecurityRuleStore(m_env->preferences).trustedShops(), defaultTrustedShops());

    view->tabs()->setCurrentIndex(2);
    QTest::mouseClick(patternRow(*view, 20)->findChild<QToolButton *>(u"patternDeleteButton"_s),
                      Qt::LeftButton);
    QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (20件)"_s);
    QCOMPARE(m_env->ruleStore.excludedPatterns(), defaultExcludedPatterns());
}

void TestSettingsView::resetOnlyOnConfirmationAndInEveryView()
{
    SecurityRuleStore &store = m_env->ruleStore;
    store.addCustomShop(u"テスト店"_s, u"test-shop.jp"_s, u"一般"_s, u"https://t/{query}"_s);
    store.addCustomPattern(u"*.scam"_s, u"理由"_s);
    store.toggleShop(store.trustedShops().at(0).id);
    store.removePattern(store.excludedPatterns().at(0).id);
    store.setFilterMode(SearchFilterMode::trustedOnly);
    store.setSearchEngine(SearchTargetEngine::googleWeb);
    const QList<TrustedShop> shops = store.trustedShops();
    const QList<ExcludedPattern> patterns = store.excludedPatterns();
    auto first = makeView();
    auto second = makeView();

    answerReset(*second, u"resetCancelButton"_s);
    QCOMPARE(store.trustedShops(), shops);
    QCOMPARE(store.excludedPatterns(), patterns);
    QCOMPARE(store.filterMode(), SearchFilterMode::trustedOnly);
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleWeb);
    QCOMPARE(shopTitle(*second), u"認定正規ショップ一覧 (26件)"_s);

    answerReset(*first, u"resetConfirmButton"_s);
    const SecurityRuleStore reread(m_env->preferences);
    for (const SecurityRuleStore *restored : {&std::as_const(store), &reread}) {
        QCOMPARE(restored->trustedShops(), defaultTrustedShops());
        QCOMPARE(restored->excludedPatterns(), defaultExcludedPatterns());
        QCOMPARE(restored->filterMode(), SearchFilterMode::excludeSuspicious);
        QCOMPARE(restored->searchEngine(), SearchTargetEngine::googleShopping);
    }
    for (SettingsView *view : {first.get(), second.get()}) {
        QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (25件)"_s);
        QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (20件)"_s);
        // The switched-off shop is on again, the removed pattern is back.
        QVERIFY(shopRow(*view, 0)->findChild<ToggleSwitch *>(u"shopSwitch"_s)->isChecked());
        QCOMPARE(patternRow(*view, 0)->pattern(), defaultExcludedPatterns().at(0));
    }
}

void TestSettingsView::aboutTabNamesTheWebEngineInUse()
{
    auto view = makeView();
    view->tabs()->setCurrentIndex(3);
    const QString shown = view->findChild<QLabel *>(u"aboutEngine"_s)->text();
    QVERIFY(shown.contains(u"Chromium "_s + QLatin1StringView(qWebEngineChromiumVersion())));
    QVERIFY(shown.contains(u"Qt WebEngine "_s + QLatin1StringView(qWebEngineVersion())));
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
