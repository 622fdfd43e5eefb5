#include "prefs/SettingsPreferencesStore.h"
#include "rules/DefaultRules.h"
#include "rules/SecurityRuleStore.h"
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

#include <memory>

using namespace Qt::StringLiterals;

class TestSettingsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensOnTheFirstTabEachTimeAndKeepsItsMinimumSize();
    void themeCardBecomesTheOnlyCurrentOneAndSurvivesARestart();
    void addShopButtonNeedsNameAndDomain_data();
    void addShopButtonNeedsNameAndDomain();
    void addingAShopStoresTheNormalisedDomainAndTheTypedTemplate();
    void addingAShopKeepsFilledInCategoryAndTemplate();
    void addingAPatternStoresItNormalisedWithTheDefaultReason();
    void cancellingASheetKeepsItsFields();
    void switchesFlipTheStoredFlags();
    void onlyCustomRowsCanBeDeleted();
    void confirmingTheResetRestoresDefaultsInEveryView();
    void cancellingTheResetChangesNothing();

private:
    std::unique_ptr<SettingsView> makeView();
    static InsetList *shopList(SettingsView &view);
    static InsetList *patternList(SettingsView &view);
    static ShopRow *shopRow(SettingsView &view, int index);
    static PatternRow *patternRow(SettingsView &view, int index);
    static QString shopTitle(SettingsView &view);
    static QString patternTitle(SettingsView &view);
    static AddShopSheet *openShopSheet(SettingsView &view);
    static AddPatternSheet *openPatternSheet(SettingsView &view);
    static QLineEdit *field(QWidget *sheet, const QString &name);
    static QPushButton *button(QWidget *parent, const QString &name);
    // Answers the reset confirmation of view with the named button.
    static void answerReset(SettingsView &view, const QString &buttonName);
    void makeCustomChanges();
    void compareWithDefaults(const SecurityRuleStore &store);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsPreferencesStore> m_preferences;
    std::unique_ptr<ThemeManager> m_themeManager;
    std::unique_ptr<SecurityRuleStore> m_ruleStore;
};

void TestSettingsView::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_preferences = std::make_unique<SettingsPreferencesStore>(m_dir->filePath(u"prefs.ini"_s));
    m_themeManager = std::make_unique<ThemeManager>(*m_preferences);
    m_ruleStore = std::make_unique<SecurityRuleStore>(*m_preferences);
}

void TestSettingsView::cleanup()
{
    m_ruleStore.reset();
    m_themeManager.reset();
    m_preferences.reset();
    m_dir.reset();
}

std::unique_ptr<SettingsView> TestSettingsView::makeView()
{
    auto view = std::make_unique<SettingsView>(*m_themeManager, *m_ruleStore);
    view->resize(900, 620);
    view->show();
    return view;
}

InsetList *TestSettingsView::shopList(SettingsView &view)
{
    return view.findChild<InsetList *>(u"shopList"_s);
}

InsetList *TestSettingsView::patternList(SettingsView &view)
{
    return view.findChild<InsetList *>(u"patternList"_s);
}

ShopRow *TestSettingsView::shopRow(SettingsView &view, int index)
{
    return qobject_cast<ShopRow *>(shopList(view)->rowAt(index));
}

PatternRow *TestSettingsView::patternRow(SettingsView &view, int index)
{
    return qobject_cast<PatternRow *>(patternList(view)->rowAt(index));
}

QString TestSettingsView::shopTitle(SettingsView &view)
{
    return view.findChild<QLabel *>(u"shopListTitle"_s)->text();
}

QString TestSettingsView::patternTitle(SettingsView &view)
{
    return view.findChild<QLabel *>(u"patternListTitle"_s)->text();
}

AddShopSheet *TestSettingsView::openShopSheet(SettingsView &view)
{
    view.tabs()->setCurrentIndex(1);
    QTest::mouseClick(button(&view, u"addShopButton"_s), Qt::LeftButton);
    auto *sheet = view.findChild<AddShopSheet *>(u"addShopSheet"_s);
    if (sheet && !QTest::qWaitFor([sheet] { return sheet->isVisible(); }))
        return nullptr;
    return sheet;
}

AddPatternSheet *TestSettingsView::openPatternSheet(SettingsView &view)
{
    view.tabs()->setCurrentIndex(2);
    QTest::mouseClick(button(&view, u"addPatternButton"_s), Qt::LeftButton);
    auto *sheet = view.findChild<AddPatternSheet *>(u"addPatternSheet"_s);
    if (sheet && !QTest::qWaitFor([sheet] { return sheet->isVisible(); }))
        return nullptr;
    return sheet;
}

QLineEdit *TestSettingsView::field(QWidget *sheet, const QString &name)
{
    return sheet->findChild<QLineEdit *>(name);
}

QPushButton *TestSettingsView::button(QWidget *parent, const QString &name)
{
    return parent->findChild<QPushButton *>(name);
}

void TestSettingsView::answerReset(SettingsView &view, const QString &buttonName)
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

void TestSettingsView::makeCustomChanges()
{
    m_ruleStore->addCustomShop(u"テスト店"_s, u"test-shop.jp"_s, u"一般"_s, u"https://t/{query}"_s);
    m_ruleStore->addCustomPattern(u"*.scam"_s, u"理由"_s);
    m_ruleStore->toggleShop(m_ruleStore->trustedShops().at(0).id);
    m_ruleStore->removePattern(m_ruleStore->excludedPatterns().at(0).id);
    m_ruleStore->setFilterMode(SearchFilterMode::trustedOnly);
    m_ruleStore->setSearchEngine(SearchTargetEngine::googleWeb);
}

void TestSettingsView::compareWithDefaults(const SecurityRuleStore &store)
{
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    QCOMPARE(store.filterMode(), SearchFilterMode::excludeSuspicious);
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleShopping);
}

void TestSettingsView::opensOnTheFirstTabEachTimeAndKeepsItsMinimumSize()
{
    auto view = makeView();
    QTabWidget *tabs = view->tabs();
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->currentIndex(), 0);
    const QStringList labels
        = {u"外観・テーマ"_s, u"認定正規ショップ"_s, u"危険サイト除外"_s, u"アプリについて"_s};
    for (int i = 0; i < tabs->count(); ++i) {
        QCOMPARE(tabs->tabText(i), labels.at(i));
        QVERIFY(!tabs->tabIcon(i).isNull());
    }

    // The window cannot shrink below 600 x 480, and its content fits there.
    QCOMPARE(view->minimumSize(), QSize(600, 480));
    QVERIFY(view->minimumSizeHint().width() <= 600);
    QVERIFY(view->minimumSizeHint().height() <= 480);
    view->resize(300, 200);
    QVERIFY(view->width() >= 600);
    QVERIFY(view->height() >= 480);

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
    QVERIFY(purple);
    QTest::mouseClick(purple, Qt::LeftButton);
    QCOMPARE(m_themeManager->currentTheme(), AppTheme::cyberPurple);

    const QColor base = view->palette().color(QPalette::Base);
    for (ThemeCard *card : cards) {
        const bool current = card == purple;
        QCOMPARE(card->isChecked(), current);
        QCOMPARE(card->showsCheckmark(), current);
        // What is painted: the fill just inside the outline, and the outline.
        const QImage image = card->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const QPoint fill(int(6 * ratio), image.height() / 2);
        const QPoint outline(int(1 * ratio), image.height() / 2);
        if (current) {
            QCOMPARE(image.pixelColor(fill).rgb(), backgroundTint(AppTheme::cyberPurple).rgb());
            QCOMPARE(image.pixelColor(outline).rgb(), accentColor(AppTheme::cyberPurple).rgb());
        } else {
            QCOMPARE(image.pixelColor(fill).rgb(), base.rgb());
            QCOMPARE(image.pixelColor(outline).rgb(), image.pixelColor(fill).rgb());
        }
    }

    // The next start reads the choice back.
    view.reset();
    m_themeManager = std::make_unique<ThemeManager>(*m_preferences);
    QCOMPARE(m_themeManager->currentTheme(), AppTheme::cyberPurple);
    auto restarted = makeView();
    QVERIFY(restarted->findChild<ThemeCard *>(u"themeCard_cyberPurple"_s)->isChecked());
    QVERIFY(!restarted->findChild<ThemeCard *>(u"themeCard_corisaPink"_s)->isChecked());
}

void TestSettingsView::addShopButtonNeedsNameAndDomain_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("both empty") << QString() << QString() << false;
    QTest::newRow("no domain") << u"Shop"_s << QString() << false;
    QTest::newRow("no name") << QString() << u"shop.jp"_s << false;
    QTest::newRow("name of one blank") << u" "_s << u"shop.jp"_s << true;
    QTest::newRow("domain of one blank") << u"Shop"_s << u" "_s << true;
}

void TestSettingsView::addShopButtonNeedsNameAndDomain()
{
    QFETCH(QString, name);
    QFETCH(QString, domain);
    QFETCH(bool, enabled);

    auto view = makeView();
    AddShopSheet *sheet = openShopSheet(*view);
    QVERIFY(sheet);
    QPushButton *add = button(sheet, u"addShopConfirmButton"_s);
    QVERIFY(!add->isEnabled());
    QTest::keyClicks(field(sheet, u"newShopNameField"_s), name);
    QTest::keyClicks(field(sheet, u"newShopDomainField"_s), domain);
    QCOMPARE(add->isEnabled(), enabled);

    const qsizetype before = m_ruleStore->trustedShops().size();
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(m_ruleStore->trustedShops().size(), before + (enabled ? 1 : 0));
}

void TestSettingsView::addingAShopStoresTheNormalisedDomainAndTheTypedTemplate()
{
    auto view = makeView();
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (25件)"_s);
    AddShopSheet *sheet = openShopSheet(*view);
    QVERIFY(sheet);
    QCOMPARE(sheet->width(), 480);
    QCOMPARE(sheet->windowModality(), Qt::WindowModal);
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

    const TrustedShop added = m_ruleStore->trustedShops().last();
    QCOMPARE(added.name, u"マイショップ"_s);
    QCOMPARE(added.domain, u"my-shop.jp"_s);
    QCOMPARE(added.category, u"一般"_s);
    QCOMPARE(added.searchUrlTemplate,
             u"https://www.google.co.jp/search?q=site: My-Shop.JP +{query}"_s);
    QVERIFY(added.isEnabled);
    QVERIFY(added.isCustom);

    // Stored at once: the next start has it.
    SecurityRuleStore reread(*m_preferences);
    QCOMPARE(reread.trustedShops().last(), added);

    // The new last row, and the header count.
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (26件)"_s);
    ShopRow *row = shopRow(*view, 25);
    QVERIFY(row);
    QCOMPARE(row->findChild<QLabel *>(u"shopNameLabel"_s)->text(), u"マイショップ"_s);
    QCOMPARE(row->findChild<QLabel *>(u"shopCategoryLabel"_s)->text(), u"(一般)"_s);
    QCOMPARE(row->findChild<QLabel *>(u"shopDomainLabel"_s)->text(), u"my-shop.jp"_s);
    QVERIFY(row->findChild<QLabel *>(u"customBadge"_s)->isVisibleTo(row));
    QCOMPARE(row->findChild<QLabel *>(u"customBadge"_s)->text(), u"カスタム"_s);
    QVERIFY(row->findChild<QToolButton *>(u"shopDeleteButton"_s)->isVisibleTo(row));
}

void TestSettingsView::addingAShopKeepsFilledInCategoryAndTemplate()
{
    auto view = makeView();
    AddShopSheet *sheet = openShopSheet(*view);
    QVERIFY(sheet);
    QTest::keyClicks(field(sheet, u"newShopNameField"_s), u"Shop"_s);
    QTest::keyClicks(field(sheet, u"newShopDomainField"_s), u"shop.example"_s);
    field(sheet, u"newShopCategoryField"_s)->insert(u"家電・PC"_s);
    QTest::keyClicks(field(sheet, u"newShopUrlTemplateField"_s),
                     u"https://shop.example/find?w={query}"_s);
    QTest::mouseClick(button(sheet, u"addShopConfirmButton"_s), Qt::LeftButton);

    const TrustedShop added = m_ruleStore->trustedShops().last();
    QCOMPARE(added.category, u"家電・PC"_s);
    QCOMPARE(added.searchUrlTemplate, u"https://shop.example/find?w={query}"_s);
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

    const ExcludedPattern added = m_ruleStore->excludedPatterns().last();
    QCOMPARE(added.pattern, u"*.scam"_s);
    QCOMPARE(added.reason, u"ユーザー指定除外パターン"_s);
    QVERIFY(added.isEnabled);
    QVERIFY(added.isCustom);
    SecurityRuleStore reread(*m_preferences);
    QCOMPARE(reread.excludedPatterns().last(), added);

    QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (21件)"_s);
    PatternRow *row = patternRow(*view, 20);
    QCOMPARE(row->findChild<QLabel *>(u"patternLabel"_s)->text(), u"*.scam"_s);
    QCOMPARE(row->findChild<QLabel *>(u"patternReasonLabel"_s)->text(),
             u"ユーザー指定除外パターン"_s);
    QVERIFY(row->findChild<QLabel *>(u"customBadge"_s)->isVisibleTo(row));
    QVERIFY(row->findChild<QToolButton *>(u"patternDeleteButton"_s)->isVisibleTo(row));

    // A pattern of one blank passes the button and is stored trimmed.
    sheet = openPatternSheet(*view);
    QTest::keyClicks(field(sheet, u"newPatternField"_s), u" "_s);
    QVERIFY(button(sheet, u"addPatternConfirmButton"_s)->isEnabled());
    QTest::mouseClick(button(sheet, u"addPatternConfirmButton"_s), Qt::LeftButton);
    QCOMPARE(m_ruleStore->excludedPatterns().last().pattern, QString());
    QCOMPARE(m_ruleStore->excludedPatterns().size(), 22);
}

void TestSettingsView::cancellingASheetKeepsItsFields()
{
    auto view = makeView();
    AddShopSheet *shopSheet = openShopSheet(*view);
    QVERIFY(shopSheet);
    QTest::keyClicks(field(shopSheet, u"newShopNameField"_s), u"Half typed"_s);
    QTest::keyClicks(field(shopSheet, u"newShopDomainField"_s), u"half.example"_s);
    QTest::mouseClick(button(shopSheet, u"addShopCancelButton"_s), Qt::LeftButton);
    QTRY_VERIFY(!shopSheet->isVisible());
    QCOMPARE(m_ruleStore->trustedShops().size(), 25);

    shopSheet = openShopSheet(*view);
    QCOMPARE(field(shopSheet, u"newShopNameField"_s)->text(), u"Half typed"_s);
    QCOMPARE(field(shopSheet, u"newShopDomainField"_s)->text(), u"half.example"_s);
    QVERIFY(button(shopSheet, u"addShopConfirmButton"_s)->isEnabled());
    // Escape closes the sheet the same way.
    QTest::keyClick(field(shopSheet, u"newShopNameField"_s), Qt::Key_Escape);
    QTRY_VERIFY(!shopSheet->isVisible());
    QCOMPARE(field(shopSheet, u"newShopNameField"_s)->text(), u"Half typed"_s);

    AddPatternSheet *patternSheet = openPatternSheet(*view);
    QVERIFY(patternSheet);
    QTest::keyClicks(field(patternSheet, u"newPatternField"_s), u"*.zip"_s);
    QTest::keyClicks(field(patternSheet, u"newPatternReasonField"_s), u"why"_s);
    QTest::mouseClick(button(patternSheet, u"addPatternCancelButton"_s), Qt::LeftButton);
    QTRY_VERIFY(!patternSheet->isVisible());
    QCOMPARE(m_ruleStore->excludedPatterns().size(), 20);
    patternSheet = openPatternSheet(*view);
    QCOMPARE(field(patternSheet, u"newPatternField"_s)->text(), u"*.zip"_s);
    QCOMPARE(field(patternSheet, u"newPatternReasonField"_s)->text(), u"why"_s);
}

void TestSettingsView::switchesFlipTheStoredFlags()
{
    auto view = makeView();
    view->tabs()->setCurrentIndex(1);
    ShopRow *row = shopRow(*view, 2);
    auto *shopSwitch = row->findChild<ToggleSwitch *>(u"shopSwitch"_s);
    QVERIFY(shopSwitch->isChecked());
    QTest::mouseClick(shopSwitch, Qt::LeftButton);
    QVERIFY(!m_ruleStore->trustedShops().at(2).isEnabled);
    QVERIFY(!shopSwitch->isChecked());
    QCOMPARE(shopList(*view)->rowCount(), 25);
    QVERIFY(!SecurityRuleStore(*m_preferences).trustedShops().at(2).isEnabled);
    QTest::mouseClick(shopSwitch, Qt::LeftButton);
    QVERIFY(m_ruleStore->trustedShops().at(2).isEnabled);
    QVERIFY(shopSwitch->isChecked());
    QVERIFY(SecurityRuleStore(*m_preferences).trustedShops().at(2).isEnabled);

    view->tabs()->setCurrentIndex(2);
    auto *patternSwitch = patternRow(*view, 0)->findChild<ToggleSwitch *>(u"patternSwitch"_s);
    QTest::mouseClick(patternSwitch, Qt::LeftButton);
    QVERIFY(!m_ruleStore->excludedPatterns().at(0).isEnabled);
    QVERIFY(!patternSwitch->isChecked());
    QVERIFY(!SecurityRuleStore(*m_preferences).excludedPatterns().at(0).isEnabled);

    // A change made elsewhere (another window) shows here too.
    m_ruleStore->togglePattern(m_ruleStore->excludedPatterns().at(0).id);
    QVERIFY(patternSwitch->isChecked());
}

void TestSettingsView::onlyCustomRowsCanBeDeleted()
{
    m_ruleStore->addCustomShop(u"Custom"_s, u"custom.example"_s, u"一般"_s, u"t"_s);
    m_ruleStore->addCustomPattern(u"*.bad"_s, u"r"_s);
    auto view = makeView();
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (26件)"_s);

    for (int i = 0; i < shopList(*view)->rowCount(); ++i) {
        ShopRow *row = shopRow(*view, i);
        const bool custom = row->shop().isCustom;
        QCOMPARE(row->findChild<QToolButton *>(u"shopDeleteButton"_s)->isVisibleTo(row), custom);
        QCOMPARE(row->findChild<QLabel *>(u"customBadge"_s)->isVisibleTo(row), custom);
    }
    for (int i = 0; i < patternList(*view)->rowCount(); ++i) {
        PatternRow *row = patternRow(*view, i);
        const bool custom = row->pattern().isCustom;
        QCOMPARE(row->findChild<QToolButton *>(u"patternDeleteButton"_s)->isVisibleTo(row), custom);
    }

    view->tabs()->setCurrentIndex(1);
    QTest::mouseClick(shopRow(*view, 25)->findChild<QToolButton *>(u"shopDeleteButton"_s),
                      Qt::LeftButton);
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (25件)"_s);
    QCOMPARE(shopList(*view)->rowCount(), 25);
    QCOMPARE(m_ruleStore->trustedShops(), defaultTrustedShops());
    QCOMPARE(SecurityRuleStore(*m_preferences).trustedShops().size(), 25);

    view->tabs()->setCurrentIndex(2);
    QTest::mouseClick(patternRow(*view, 20)->findChild<QToolButton *>(u"patternDeleteButton"_s),
                      Qt::LeftButton);
    QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (20件)"_s);
    QCOMPARE(m_ruleStore->excludedPatterns(), defaultExcludedPatterns());
}

void TestSettingsView::confirmingTheResetRestoresDefaultsInEveryView()
{
    makeCustomChanges();
    auto first = makeView();
    auto second = makeView();
    QCOMPARE(shopTitle(*second), u"認定正規ショップ一覧 (26件)"_s);
    QCOMPARE(patternTitle(*second), u"危険サイト・詐欺パターン除外ルール (20件)"_s);

    answerReset(*first, u"resetConfirmButton"_s);

    compareWithDefaults(*m_ruleStore);
    compareWithDefaults(SecurityRuleStore(*m_preferences));
    QCOMPARE(m_preferences->string(QLatin1String(SecurityRuleStore::filterModeKey)),
             u"excludeSuspicious"_s);
    QCOMPARE(m_preferences->string(QLatin1String(SecurityRuleStore::searchEngineKey)),
             u"googleShopping"_s);
    for (SettingsView *view : {first.get(), second.get()}) {
        QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (25件)"_s);
        QCOMPARE(patternTitle(*view), u"危険サイト・詐欺パターン除外ルール (20件)"_s);
        // The switched-off shop is on again, the removed pattern is back.
        QVERIFY(shopRow(*view, 0)->findChild<ToggleSwitch *>(u"shopSwitch"_s)->isChecked());
        QCOMPARE(patternRow(*view, 0)->pattern(), defaultExcludedPatterns().at(0));
        for (int i = 0; i < shopList(*view)->rowCount(); ++i) {
            ShopRow *row = shopRow(*view, i);
            QVERIFY(!row->findChild<QLabel *>(u"customBadge"_s)->isVisibleTo(row));
        }
        for (int i = 0; i < patternList(*view)->rowCount(); ++i) {
            PatternRow *row = patternRow(*view, i);
            QVERIFY(!row->findChild<QLabel *>(u"customBadge"_s)->isVisibleTo(row));
        }
    }
}

void TestSettingsView::cancellingTheResetChangesNothing()
{
    makeCustomChanges();
    const QList<TrustedShop> shops = m_ruleStore->trustedShops();
    const QList<ExcludedPattern> patterns = m_ruleStore->excludedPatterns();
    auto view = makeView();

    answerReset(*view, u"resetCancelButton"_s);

    QCOMPARE(m_ruleStore->trustedShops(), shops);
    QCOMPARE(m_ruleStore->excludedPatterns(), patterns);
    QCOMPARE(m_ruleStore->filterMode(), SearchFilterMode::trustedOnly);
    QCOMPARE(m_ruleStore->searchEngine(), SearchTargetEngine::googleWeb);
    SecurityRuleStore reread(*m_preferences);
    QCOMPARE(reread.trustedShops(), shops);
    QCOMPARE(reread.filterMode(), SearchFilterMode::trustedOnly);
    QCOMPARE(shopTitle(*view), u"認定正規ショップ一覧 (26件)"_s);
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
