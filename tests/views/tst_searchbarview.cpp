#include "views/SearchBarView.h"

#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/WebAddress.h"
#include "support/TestPalette.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"
#include "views/SymbolIcon.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrlQuery>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString allShopsRow = u"全ショップ一覧から選択"_s;

// Each test gets its own settings file, never the user's.
struct Environment
{
    QTemporaryDir dir;
    SettingsPreferencesStore preferences {dir.filePath(u"preferences.ini"_s)};
    ThemeManager themeManager {preferences};
    SecurityRuleStore ruleStore {preferences};
};

QStringList itemTexts(const QComboBox *menu)
{
    QStringList texts;
    for (int index = 0; index < menu->count(); ++index)
        texts.append(menu->itemText(index));
    return texts;
}

QStringList enabledShopNames(const SecurityRuleStore &store)
{
    QStringList names;
    for (const TrustedShop &shop : store.trustedShops()) {
        if (shop.isEnabled)
            names.append(shop.name);
    }
    return names;
}

int shopIndex(const SecurityRuleStore &store, const QString &name)
{
    const QList<TrustedShop> &shops = store.trustedShops();
    for (int index = 0; index < shops.size(); ++index) {
        if (shops.at(index).name == name)
            return index;
    }
    return -1;
}

bool closeTo(const QColor &a, const QColor &b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestSearchBarView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void submittingBuildsTheFilteredAddress_data();
    void submittingBuildsTheFilteredAddress();
    void blankQueriesStartNothing();
    void searchButtonsSwitchAndStoreTheEngine();
    void menusFollowTheStore();
    void shopMenuOnlyInDirectShopModeAndKeepsItsChoice();
    void disabledSelectedShopIsStillSearched();
    void chipsShowTheFirstSixShops();
    void chipsOpenShopSearchOrTopPage_data();
    void chipsOpenShopSearchOrTopPage();
    void queryBoxFollowsTheEngine();
    void clearButtonOnlyWhileThereIsText();
    void focusQuerySelectsTheText();
    void followsTheTheme();
    void followsADarkPalette();
    void grabsForReview();

private:
    QComboBox *menu(const char *name) const;
    QPushButton *button(const char *name) const;
    void choose(const char *menuName, const QString &rawValue);
    void chooseShop(const QString &name);
    QStringList submit(const QString &text);

    std::unique_ptr<Environment> m_env;
    std::unique_ptr<SearchBarView> m_bar;
};

void TestSearchBarView::init()
{
    m_env = std::make_unique<Environment>();
    QVERIFY(m_env->dir.isValid());
    m_bar = std::make_unique<SearchBarView>(m_env->ruleStore, m_env->themeManager);
    m_bar->resize(1000, m_bar->sizeHint().height());
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
}

void TestSearchBarView::cleanup()
{
    m_bar.reset();
    m_env.reset();
}

QComboBox *TestSearchBarView::menu(const char *name) const
{
    auto *found = m_bar->findChild<QComboBox *>(QLatin1String(name));
    if (!found)
        qFatal("no menu %s", name);
    return found;
}

QPushButton *TestSearchBarView::button(const char *name) const
{
    auto *found = m_bar->findChild<QPushButton *>(QLatin1String(name));
    if (!found)
        qFatal("no button %s", name);
    return found;
}

// Picks a row the way a user does, by making it the menu's current row.
void TestSearchBarView::choose(const char *menuName, const QString &rawValue)
{
    QComboBox *combo = menu(menuName);
    const int index = combo->findData(rawValue);
    QVERIFY2(index >= 0, qPrintable(rawValue));
    combo->setCurrentIndex(index);
}

void TestSearchBarView::chooseShop(const QString &name)
{
    QComboBox *combo = menu("shopMenu");
    const int index = combo->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    combo->setCurrentIndex(index);
}

// Types the text and presses Return; gives the addresses handed on.
QStringList TestSearchBarView::submit(const QString &text)
{
    QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    field->clear();
    field->insert(text);
    QTest::keyClick(field, Qt::Key_Return);
    QStringList addresses;
    for (const QList<QVariant> &call : spy)
        addresses.append(call.at(0).toString());
    return addresses;
}

void TestSearchBarView::submittingBuildsTheFilteredAddress_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("shop");
    QTest::addColumn<QString>("typed");

    for (const QString &engine : {u"googleShopping"_s, u"googleWeb"_s}) {
        for (const QString &mode :
             {u"trustedOnly"_s, u"excludeSuspicious"_s, u"directShopSearch"_s}) {
            QTest::addRow("%s, %s", qPrintable(mode), qPrintable(engine))
                << mode << engine << QString() << u"  ノート PC \t"_s;
        }
        QTest::addRow("directShopSearch, %s, shop chosen", qPrintable(engine))
            << u"directShopSearch"_s << engine << u"ヨドバシ・ドット・コム"_s << u" M&A 本 "_s;
    }
    QTest::newRow("excludeSuspicious, reserved characters")
        << u"excludeSuspicious"_s << u"googleShopping"_s << QString() << u"a&b=c+d #1"_s;
}

void TestSearchBarView::submittingBuildsTheFilteredAddress()
{
    QFETCH(QString, mode);
    QFETCH(QString, engine);
    QFETCH(QString, shop);
    QFETCH(QString, typed);

    choose("engineMenu", engine);
    choose("filterMenu", mode);
    QCOMPARE(rawValue(m_env->ruleStore.searchEngine()), engine);
    QCOMPARE(rawValue(m_env->ruleStore.filterMode()), mode);
    std::optional<TrustedShop> chosen;
    if (!shop.isEmpty()) {
        chooseShop(shop);
        chosen = m_env->ruleStore.trustedShops().at(shopIndex(m_env->ruleStore, shop));
    }

    const QStringList addresses = submit(typed);
    QCOMPARE(addresses.size(), 1);
    const QString address = addresses.first();

    const QString query = typed.trimmed();
    const std::optional<QUrl> expected = SafeBrowsingEngine().buildSearchURL(
        query, m_env->ruleStore.filterMode(), m_env->ruleStore.searchEngine(), m_env->ruleStore,
        chosen);
    QVERIFY(expected);
    QCOMPARE(address, WebAddress::text(*expected));

    if (chosen) {
        QString shopAddress = chosen->searchUrlTemplate;
        shopAddress.replace(u"{query}"_s, SafeBrowsingEngine::encodeShopQuery(query));
        QCOMPARE(address, shopAddress);
        QVERIFY(address.contains(u"M%26A%20%E6%9C%AC"_s));
        return;
    }

    // Independently of the engine: the parts a user would check in the address.
    const QUrl url(address);
    QCOMPARE(url.scheme(), u"https"_s);
    QCOMPARE(url.host(), u"www.google.co.jp"_s);
    QCOMPARE(url.path(), u"/search"_s);
    QVERIFY2(address.endsWith(engine == u"googleShopping"_s ? u"&hl=ja&gl=jp&tbm=shop&udm=28"_s
                                                            : u"&hl=ja&gl=jp"_s),
             qPrintable(address));
    const QString q = QUrlQuery(url).queryItemValue(u"q"_s, QUrl::FullyDecoded);
    QVERIFY2(q.startsWith(query), qPrintable(q));
    if (mode == u"trustedOnly"_s) {
        QVERIFY(
            q.startsWith(query + u" (site:"_s + m_env->ruleStore.trustedShops().first().domain));
        QVERIFY(q.endsWith(u')'));
    } else if (mode == u"excludeSuspicious"_s) {
        QString first = m_env->ruleStore.excludedPatterns().first().pattern;
        QVERIFY(q.startsWith(query + u" -site:*."_s + first.remove(0, 2)));
    } else {
        QCOMPARE(q, query);
    }
}

void TestSearchBarView::blankQueriesStartNothing()
{
    QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);
    QVERIFY(submit(u"   "_s).isEmpty());
    QVERIFY(submit(QString()).isEmpty());

    m_env->ruleStore.setSearchEngine(SearchTargetEngine::googleShopping);
    QTest::mouseClick(button("webSearchButton"), Qt::LeftButton);
    QCOMPARE(m_env->ruleStore.searchEngine(), SearchTargetEngine::googleWeb);
    QCOMPARE(spy.count(), 0);
}

void TestSearchBarView::searchButtonsSwitchAndStoreTheEngine()
{
    const QString engineKey = QLatin1String(SecurityRuleStore::searchEngineKey);
    m_env->ruleStore.setSearchEngine(SearchTargetEngine::googleWeb);
    QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);

    QTest::mouseClick(button("shopSearchButton"), Qt::LeftButton);
    QCOMPARE(m_env->ruleStore.searchEngine(), SearchTargetEngine::googleShopping);
    QCOMPARE(m_env->preferences.string(engineKey), u"googleShopping"_s);
    QCOMPARE(menu("engineMenu")->currentText(), displayName(SearchTargetEngine::googleShopping));
    QCOMPARE(spy.count(), 0);

    // With a query each button searches with its own engine.
    m_bar->setSearchText(u"MacBook"_s);
    QTest::mouseClick(button("webSearchButton"), Qt::LeftButton);
    QCOMPARE(m_env->preferences.string(engineKey), u"googleWeb"_s);
    QCOMPARE(spy.count(), 1);
    QVERIFY(spy.last().at(0).toString().endsWith(u"&gl=jp"_s));
    QTest::mouseClick(button("shopSearchButton"), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QVERIFY(spy.last().at(0).toString().endsWith(u"&tbm=shop&udm=28"_s));
    QCOMPARE(m_env->preferences.string(engineKey), u"googleShopping"_s);
}

void TestSearchBarView::menusFollowTheStore()
{
    QComboBox *engines = menu("engineMenu");
    QComboBox *modes = menu("filterMenu");
    QCOMPARE(engines->width(), 250);
    QCOMPARE(modes->width(), 170);
    QCOMPARE(itemTexts(engines),
             (QStringList {u"🛒 Googleショッピング検索 (ショップ価格比較)"_s,
                           u"🌐 Google Web安心検索 (通常Web)"_s}));
    QCOMPARE(itemTexts(modes),
             (QStringList {u"認定正規店のみ検索"_s, u"詐欺・怪しいサイト除外"_s,
                           u"指定ショップダイレクト"_s}));
    QCOMPARE(modes->currentText(), u"詐欺・怪しいサイト除外"_s);
    auto *description = m_bar->findChild<QLabel *>(u"modeDescription"_s);
    QCOMPARE(description->text(), descriptionText(SearchFilterMode::excludeSuspicious));

    m_env->ruleStore.setFilterMode(SearchFilterMode::trustedOnly);
    m_env->ruleStore.setSearchEngine(SearchTargetEngine::googleWeb);
    QCOMPARE(modes->currentText(), u"認定正規店のみ検索"_s);
    QCOMPARE(engines->currentText(), u"🌐 Google Web安心検索 (通常Web)"_s);
    QCOMPARE(description->text(),
             u"Amazon、楽天、ヨドバシ等の正規公認ストアのみを対象に安心検索します。"_s);

    // The mode line's symbol is the mode's.
    const qreal ratio = m_bar->devicePixelRatioF() * 2;
    const QColor accent = accentColor(m_env->themeManager.currentTheme());
    auto *symbol = m_bar->findChild<QLabel *>(u"modeSymbol"_s);
    QCOMPARE(symbol->pixmap().toImage(),
             SymbolIcon::pixmap(u"checkmark.seal.fill"_s, accent, 11, ratio).toImage());
    choose("filterMenu", u"directShopSearch"_s);
    QCOMPARE(m_env->ruleStore.filterMode(), SearchFilterMode::directShopSearch);
    QCOMPARE(symbol->pixmap().toImage(),
             SymbolIcon::pixmap(u"bag.fill"_s, accent, 11, ratio).toImage());
    QCOMPARE(m_env->preferences.string(QLatin1String(SecurityRuleStore::filterModeKey)),
             u"directShopSearch"_s);
}

void TestSearchBarView::shopMenuOnlyInDirectShopModeAndKeepsItsChoice()
{
    SecurityRuleStore &store = m_env->ruleStore;
    QWidget *shopBox = m_bar->findChild<QWidget *>(u"shopMenuBox"_s);
    QComboBox *shops = menu("shopMenu");
    QVERIFY(!shopBox->isVisible());
    QCOMPARE(m_bar->findChild<QLabel *>(u"shopMenuLabel"_s)->text(), u"ショップ"_s);

    choose("filterMenu", u"directShopSearch"_s);
    QVERIFY(shopBox->isVisible());
    QCOMPARE(shops->width(), 150);
    QCOMPARE(itemTexts(shops), QStringList {allShopsRow} + enabledShopNames(store));
    QCOMPARE(shops->currentText(), allShopsRow);

    // Only enabled shops are offered.
    const TrustedShop rakuten = store.trustedShops().at(shopIndex(store, u"楽天市場"_s));
    store.toggleShop(rakuten.id);
    QVERIFY(!itemTexts(shops).contains(u"楽天市場"_s));
    QCOMPARE(itemTexts(shops), QStringList {allShopsRow} + enabledShopNames(store));

    chooseShop(u"ヨドバシ・ドット・コム"_s);
    const QUuid yodobashi
        = store.trustedShops().at(shopIndex(store, u"ヨドバシ・ドット・コム"_s)).id;
    QCOMPARE(m_bar->selectedShopId(), std::optional<QUuid>(yodobashi));

    // Leaving the mode hides the menu; coming back shows the same choice,
    // also after the list changed meanwhile.
    choose("filterMenu", u"trustedOnly"_s);
    QVERIFY(!shopBox->isVisible());
    store.toggleShop(rakuten.id);
    choose("filterMenu", u"directShopSearch"_s);
    QVERIFY(shopBox->isVisible());
    QCOMPARE(shops->currentText(), u"ヨドバシ・ドット・コム"_s);
    QVERIFY(itemTexts(shops).contains(u"楽天市場"_s));
    QVERIFY(submit(u"SSD"_s).first().startsWith(u"https://www.yodobashi.com/"_s));

    // The first row means no shop: a plain search of the query.
    chooseShop(allShopsRow);
    QCOMPARE(m_bar->selectedShopId(), std::nullopt);
    const QString plain = submit(u"SSD"_s).first();
    QCOMPARE(QUrlQuery(QUrl(plain)).queryItemValue(u"q"_s), u"SSD"_s);
    QVERIFY(plain.startsWith(u"https://www.google.co.jp/search?"_s));
}

void TestSearchBarView::disabledSelectedShopIsStillSearched()
{
    SecurityRuleStore &store = m_env->ruleStore;
    choose("filterMenu", u"directShopSearch"_s);
    chooseShop(u"楽天市場"_s);
    const TrustedShop rakuten = store.trustedShops().at(shopIndex(store, u"楽天市場"_s));
    store.toggleShop(rakuten.id);

    QComboBox *shops = menu("shopMenu");
    QVERIFY(!itemTexts(shops).contains(u"楽天市場"_s));
    // Not listed, so no row pretends to be the choice.
    QCOMPARE(shops->currentIndex(), -1);
    QCOMPARE(m_bar->selectedShopId(), std::optional<QUuid>(rakuten.id));
    QCOMPARE(submit(u"イヤホン"_s),
             QStringList {u"https://search.rakuten.co.jp/search/mall/"
                          "%E3%82%A4%E3%83%A4%E3%83%9B%E3%83%B3/"_s});

    // Enabled again, it is listed and shown as chosen once more.
    store.toggleShop(rakuten.id);
    QCOMPARE(shops->currentText(), u"楽天市場"_s);
}

void TestSearchBarView::chipsShowTheFirstSixShops()
{
    SecurityRuleStore &store = m_env->ruleStore;
    auto chipTexts = [this] {
        QStringList texts;
        for (int index = 0; index < 10; ++index) {
            auto *chip = m_bar->findChild<QPushButton *>(u"shopChip%1"_s.arg(index));
            if (chip && chip->isVisible())
                texts.append(chip->text());
        }
        return texts;
    };
    QCOMPARE(m_bar->findChild<QLabel *>(u"shopChipsTitle"_s)->text(), u"主要ショップ:"_s);
    QVERIFY(store.trustedShops().size() > 6);
    QStringList firstSix;
    for (int index = 0; index < 6; ++index)
        firstSix.append(store.trustedShops().at(index).name);
    QCOMPARE(chipTexts(), firstSix);
    // Six chips and the widest menu row still fit the content of the
    // smallest window.
    choose("filterMenu", u"directShopSearch"_s);
    m_bar->resize(720, m_bar->heightForWidth(720) > 0 ? m_bar->heightForWidth(720) : 130);
    QTRY_VERIFY(m_bar->minimumSizeHint().width() <= 720);
    QTRY_VERIFY(button("shopChip5")->mapTo(m_bar.get(), QPoint(button("shopChip5")->width(), 0)).x()
                <= 720 - 12);

    // Disabled shops keep their chip.
    store.toggleShop(store.trustedShops().at(1).id);
    QCOMPARE(chipTexts(), firstSix);

    QList<TrustedShop> three = store.trustedShops().mid(3, 3);
    store.setTrustedShops(three);
    QCOMPARE(chipTexts(), (QStringList {three.at(0).name, three.at(1).name, three.at(2).name}));
    store.setTrustedShops({});
    QVERIFY(chipTexts().isEmpty());

    // A long custom name is shortened on its chip, so the bar still fits a
    // narrow window; the whole name is in the tooltip.
    const QString longName = u"とても長い名前のカスタムショップ"_s.repeated(4);
    store.addCustomShop(longName, u"example.com"_s, u"総合"_s, u"https://example.com/?q={query}"_s);
    QCOMPARE(chipTexts().size(), 1);
    QVERIFY(chipTexts().first().endsWith(u'…'));
    QVERIFY(button("shopChip0")->toolTip().contains(longName));
}

void TestSearchBarView::chipsOpenShopSearchOrTopPage_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty query opens the top page")
        << u"excludeSuspicious"_s << 0 << QString() << u"https://amazon.co.jp"_s;
    QTest::newRow("disabled shop's top page")
        << u"trustedOnly"_s << 1 << QString() << u"https://rakuten.co.jp"_s;
    QTest::newRow("query encoded, not trimmed")
        << u"trustedOnly"_s << 0 << u" M&A "_s << u"https://www.amazon.co.jp/s?k=%20M%26A%20"_s;
    QTest::newRow("japanese query")
        << u"directShopSearch"_s << 3 << u"ノート PC"_s
        << u"https://www.yodobashi.com/?word=%E3%83%8E%E3%83%BC%E3%83%88%20PC"_s;
    QTest::newRow("reserved characters")
        << u"excludeSuspicious"_s << 1 << u"a/b?c=d+e"_s
        << u"https://search.rakuten.co.jp/search/mall/a%2Fb%3Fc%3Dd%2Be/"_s;
    QTest::newRow("only spaces still search")
        << u"excludeSuspicious"_s << 0 << u"  "_s << u"https://www.amazon.co.jp/s?k=%20%20"_s;
}

void TestSearchBarView::chipsOpenShopSearchOrTopPage()
{
    QFETCH(QString, mode);
    QFETCH(int, chip);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    SecurityRuleStore &store = m_env->ruleStore;
    // Rakuten disabled: a chip does not care.
    store.toggleShop(store.trustedShops().at(1).id);
    choose("filterMenu", mode);
    m_bar->setSearchText(typed);

    QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);
    auto *chipButton = m_bar->findChild<QPushButton *>(u"shopChip%1"_s.arg(chip));
    QVERIFY(chipButton);
    QCOMPARE(chipButton->text(), store.trustedShops().at(chip).name);
    QTest::mouseClick(chipButton, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toString(), expected);
    // The chip's address uses the encoder of the direct shop search.
    if (!typed.isEmpty()) {
        QString viaEncoder = store.trustedShops().at(chip).searchUrlTemplate;
        viaEncoder.replace(u"{query}"_s, SafeBrowsingEngine::encodeShopQuery(typed));
        QCOMPARE(spy.first().at(0).toString(), viaEncoder);
    }
}

void TestSearchBarView::queryBoxFollowsTheEngine()
{
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    auto *symbol = m_bar->findChild<QLabel *>(u"querySymbol"_s);
    const qreal ratio = m_bar->devicePixelRatioF() * 2;
    const QColor pink = QColor::fromRgbF(0.98f, 0.38f, 0.58f);

    QCOMPARE(field->placeholderText(),
             u"Googleショッピングで商品・ショップ・最安値を検索 (詐欺除外)..."_s);
    QCOMPARE(symbol->pixmap().toImage(),
             SymbolIcon::pixmap(u"cart.badge.questionmark"_s, pink, 16, ratio).toImage());

    choose("engineMenu", u"googleWeb"_s);
    QCOMPARE(m_env->ruleStore.searchEngine(), SearchTargetEngine::googleWeb);
    QCOMPARE(field->placeholderText(), u"Web全体を安心検索 (悪質サイト除外)..."_s);
    QCOMPARE(symbol->pixmap().toImage(),
             SymbolIcon::pixmap(u"magnifyingglass"_s, pink, 16, ratio).toImage());
}

void TestSearchBarView::clearButtonOnlyWhileThereIsText()
{
    auto *clear = m_bar->findChild<QToolButton *>(u"clearButton"_s);
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    QSignalSpy textSpy(m_bar.get(), &SearchBarView::searchTextChanged);
    QVERIFY(!clear->isVisible());

    QTest::keyClicks(field, u"ab"_s);
    QVERIFY(clear->isVisible());
    QCOMPARE(m_bar->searchText(), u"ab"_s);
    QCOMPARE(textSpy.last().at(0).toString(), u"ab"_s);

    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(m_bar->searchText(), QString());
    QCOMPARE(textSpy.last().at(0).toString(), QString());
    QVERIFY(!clear->isVisible());

    // A space is text too.
    m_bar->setSearchText(u" "_s);
    QVERIFY(clear->isVisible());
}

void TestSearchBarView::focusQuerySelectsTheText()
{
    m_bar->setSearchText(u"MacBook Air"_s);
    m_bar->activateWindow();
    m_bar->focusQuery();
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    QCOMPARE(field->selectedText(), u"MacBook Air"_s);
    QTRY_VERIFY(field->hasFocus());
}

void TestSearchBarView::followsTheTheme()
{
    auto fillOf = [](QWidget *widget) {
        return widget->grab().toImage().pixelColor(3, widget->height() / 2);
    };
    QPushButton *shopSearch = button("shopSearchButton");
    QPushButton *chip = button("shopChip0");
    QVERIFY(closeTo(fillOf(shopSearch), QColor::fromRgbF(0.98f, 0.38f, 0.58f)));
    QVERIFY(closeTo(fillOf(chip), QColor::fromRgbF(1.0f, 0.85f, 0.92f)));

    m_env->themeManager.setCurrentTheme(AppTheme::emerald);
    QVERIFY(closeTo(fillOf(shopSearch), QColor::fromRgbF(0.1f, 0.72f, 0.5f)));
    QVERIFY(closeTo(fillOf(chip), QColor::fromRgbF(0.85f, 0.98f, 0.92f)));
    const qreal ratio = m_bar->devicePixelRatioF() * 2;
    QCOMPARE(m_bar->findChild<QLabel *>(u"querySymbol"_s)->pixmap().toImage(),
             SymbolIcon::pixmap(u"cart.badge.questionmark"_s, QColor::fromRgbF(0.1f, 0.72f, 0.5f),
                                16, ratio)
                 .toImage());
}

void TestSearchBarView::followsADarkPalette()
{
    auto fillOf = [](QWidget *widget) {
        return widget->grab().toImage().pixelColor(3, widget->height() / 2);
    };
    m_bar->setPalette(darkTestPalette());
    QTRY_VERIFY(closeTo(fillOf(button("webSearchButton")), QColor(56, 56, 56)));
    QVERIFY(closeTo(m_bar->grab().toImage().pixelColor(2, 2), QColor(38, 38, 38)));
    auto *box = m_bar->findChild<QWidget *>(u"queryBox"_s);
    QVERIFY(closeTo(box->grab().toImage().pixelColor(box->width() / 2, 4), QColor(30, 30, 30)));
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    QCOMPARE(field->palette().color(QPalette::Text), QColor(232, 232, 232));
    QCOMPARE(field->palette().color(QPalette::Base), QColor(30, 30, 30));
}

// Saves pictures for a person to look at when VELMORA_GRAB_DIR is set.
void TestSearchBarView::grabsForReview()
{
    const QString folder = qEnvironmentVariable("VELMORA_GRAB_DIR");
    if (folder.isEmpty())
        QSKIP("VELMORA_GRAB_DIR not set");
    m_bar->setSearchText(u"ノート PC"_s);
    QVERIFY(m_bar->grab().save(folder + u"/searchbar-default.png"_s));
    choose("filterMenu", u"directShopSearch"_s);
    chooseShop(u"ヨドバシ・ドット・コム"_s);
    m_env->themeManager.setCurrentTheme(AppTheme::cyberPurple);
    m_bar->resize(720, m_bar->sizeHint().height());
    QTest::qWait(50);
    QVERIFY(m_bar->grab().save(folder + u"/searchbar-direct-narrow.png"_s));
    for (const char *name : {"engineMenu", "filterMenu", "shopMenu"}) {
        QComboBox *combo = menu(name);
        combo->showPopup();
        QTest::qWait(100);
        QVERIFY(combo->view()->window()->grab().save(folder + u"/searchbar-popup-"_s
                                                     + QLatin1String(name) + u".png"_s));
        combo->hidePopup();
    }
    m_bar->setSearchText(QString());
    choose("engineMenu", u"googleWeb"_s);
    QVERIFY(m_bar->grab().save(folder + u"/searchbar-web-empty.png"_s));
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkTestPalette());
    QTest::qWait(50);
    QVERIFY(m_bar->grab().save(folder + u"/searchbar-dark.png"_s));
    QApplication::setPalette(light);
}

QTEST_MAIN(TestSearchBarView)
#include "tst_searchbarview.moc"
