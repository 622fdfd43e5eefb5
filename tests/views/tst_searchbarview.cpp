#include "views/search/SearchBarView.h"

#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/WebAddress.h"
#include "support/TestPalette.h"
#include "support/TestStores.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"

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
using Environment = TestStores;

QStringList itemTexts(const QComboBox *menu)
{
    QStringList texts;
    for (int index = 0; index < menu->count(); ++index)
        texts.append(menu->itemText(index));
    return texts;
}

TrustedShop shopNamed(const SecurityRuleStore &store, const QString &name)
{
    for (const TrustedShop &shop : store.trustedShops()) {
        if (shop.name == name)
            return shop;
    }
    qFatal("no shop %s", qPrintable(name));
}

bool closeTo(const QColor &a, const QColor &b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

// The fill of a widget, read left of its label.
QColor fillOf(QWidget *widget)
{
    return widget->grab().toImage().pixelColor(3, widget->height() / 2);
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
    void blankQueriesStartNothingButButtonsSwitchTheEngine();
    void menusAndQueryBoxFollowTheStore();
    void shopMenuOnlyInDirectShopModeAndKeepsItsChoice();
    void chipsShowTheFirstSixShops();
    void chipsOpenShopSearchOrTopPage_data();
    void chipsOpenShopSearchOrTopPage();
    void clearButtonOnlyWhileThereIsText();
    void followsTheThemeAndADarkPalette();

private:
    QComboBox *menu(const char *name) const;
    QPushButton *button(const char *name) const;
    void choose(const char *menuName, const QString &row);
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
    return m_bar->findChild<QComboBox *>(QLatin1String(name));
}

QPushButton *TestSearchBarView::button(const char *name) const
{
    return m_bar->findChild<QPushButton *>(QLatin1String(name));
}

// Picks a row the way a user does, by making it the menu's current row; rows
// are found by their raw value or, for shops, by their text.
void TestSearchBarView::choose(const char *menuName, const QString &row)
{
    QComboBox *combo = menu(menuName);
    const int index = combo->findData(row) >= 0 ? combo->findData(row) : combo->findText(row);
    QVERIFY2(index >= 0, qPrintable(row));
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
    QTest::addColumn<QString>("typed");

    for (const QString &engine : {u"googleShopping"_s, u"googleWeb"_s}) {
        for (const QString &mode :
             {u"trustedOnly"_s, u"excludeSuspicious"_s, u"directShopSearch"_s}) {
            QTest::addRow("%s, %s", qPrintable(mode), qPrintable(engine))
                << mode << engine << u"  ノート PC \t"_s;
        }
    }
    QTest::newRow("reserved characters")
        << u"excludeSuspicious"_s << u"googleShopping"_s << u"a&b=c+d #1"_s;
}

void TestSearchBarView::submittingBuildsTheFilteredAddress()
{
    QFETCH(QString, mode);
    QFETCH(QString, engine);
    QFETCH(QString, typed);

    choose("engineMenu", engine);
    choose("filterMenu", mode);

    const QStringList addresses = submit(typed);
    QCOMPARE(addresses.size(), 1);
    const QString address = addresses.first();
    const QString query = typed.trimmed();
    const std::optional<QUrl> expected = SafeBrowsingEngine().buildSearchURL(
        query, m_env->ruleStore.filterMode(), m_env->ruleStore.searchEngine(), m_env->ruleStore,
        std::nullopt);
    QVERIFY(expected);
    QCOMPARE(address, WebAddress::text(*expected));

    // Independently of the builder: the parts a user would check in the address.
    QVERIFY2(address.startsWith(u"https://www.google.co.jp/search?"_s), qPrintable(address));
    QVERIFY2(address.endsWith(engine == u"googleShopping"_s ? u"&hl=ja&gl=jp&tbm=shop&udm=28"_s
                                                            : u"&hl=ja&gl=jp"_s),
             qPrintable(address));
    const QString q = QUrlQuery(QUrl(address)).queryItemValue(u"q"_s, QUrl::FullyDecoded);
    QVERIFY2(q.startsWith(query), qPrintable(q));
    // Direct shop search without a shop: the plain search of the query.
    QCOMPARE(q == query, mode == u"directShopSearch"_s);
}

void TestSearchBarView::blankQueriesStartNothingButButtonsSwitchTheEngine()
{
    const QString engineKey = QLatin1String(SecurityRuleStore::searchEngineKey);
    QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);
    QVERIFY(submit(u"   "_s).isEmpty());

    m_env->ruleStore.setSearchEngine(SearchTargetEngine::googleWeb);
    QTest::mouseClick(button("shopSearchButton"), Qt::LeftButton);
    QCOMPARE(m_env->ruleStore.searchEngine(), SearchTargetEngine::googleShopping);
    QCOMPARE(m_env->preferences.string(engineKey), u"googleShopping"_s);
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
}

void TestSearchBarView::menusAndQueryBoxFollowTheStore()
{
    QComboBox *engines = menu("engineMenu");
    QComboBox *modes = menu("filterMenu");
    QCOMPARE(engines->width(), 250);
    QCOMPARE(modes->width(), 170);
    QCOMPARE(engines->itemText(0),
             u"🛒 Googleショッピング検索 (ショップ価格比較)"_s);
    QCOMPARE(modes->currentText(), u"詐欺・怪しいサイト除外"_s);
    auto *description = m_bar->findChild<QLabel *>(u"modeDescription"_s);
    QCOMPARE(description->text(), descriptionText(SearchFilterMode::excludeSuspicious));

    // The query box shows the engine's symbol in the accent, and its placeholder.
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    auto *querySymbol = m_bar->findChild<QLabel *>(u"querySymbol"_s);
    const qreal ratio = m_bar->devicePixelRatioF() * 2;
    const QColor accent = QColor::fromRgbF(0.98f, 0.38f, 0.58f);
    QCOMPARE(field->placeholderText(),
             u"Googleショッピングで商品・ショップ・最安値を検索 (詐欺除外)..."_s);
    QCOMPARE(querySymbol->pixmap().toImage(),
             SymbolIcon::pixmap(u"cart.badge.questionmark"_s, accent, 16, ratio).toImage());

    m_env->ruleStore.setFilterMode(SearchFilterMode::trustedOnly);
    m_env->ruleStore.setSearchEngine(SearchTargetEngine::googleWeb);
    QCOMPARE(modes->currentText(), u"認定正規店のみ検索"_s);
    QCOMPARE(engines->currentText(), u"🌐 Google Web安心検索 (通常Web)"_s);
    QCOMPARE(description->text(),
             u"Amazon、楽天、ヨドバシ等の正規公認ストアのみを対象に安心検索します。"_s);
    QCOMPARE(field->placeholderText(), u"Web全体を安心検索 (悪質サイト除外)..."_s);
    QCOMPARE(querySymbol->pixmap().toImage(),
             SymbolIcon::pixmap(u"magnifyingglass"_s, accent, 16, ratio).toImage());

    // The mode line's symbol is the mode's; choosing a mode stores it.
    auto *symbol = m_bar->findChild<QLabel *>(u"modeSymbol"_s);
    choose("filterMenu", u"directShopSearch"_s);
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

    // Only enabled shops are offered, after the "no shop" row.
    const TrustedShop rakuten = shopNamed(store, u"楽天市場"_s);
    store.toggleShop(rakuten.id);
    choose("filterMenu", u"directShopSearch"_s);
    QVERIFY(shopBox->isVisible());
    QCOMPARE(shops->width(), 150);
    QCOMPARE(shops->currentText(), allShopsRow);
    QStringList enabled {allShopsRow};
    for (const TrustedShop &shop : store.trustedShops()) {
        if (shop.isEnabled)
            enabled.append(shop.name);
    }
    QVERIFY(!enabled.contains(u"楽天市場"_s));
    QCOMPARE(itemTexts(shops), enabled);

    choose("shopMenu", u"ヨドバシ・ドット・コム"_s);
    QCOMPARE(m_bar->selectedShopId(),
             std::optional<QUuid>(shopNamed(store, u"ヨドバシ・ドット・コム"_s).id));
    QCOMPARE(submit(u" M&A 本 "_s),
             QStringList {u"https://www.yodobashi.com/?word=M%26A%20%E6%9C%AC"_s});

    // Leaving the mode hides the menu; coming back shows the same choice,
    // also after the list changed meanwhile.
    choose("filterMenu", u"trustedOnly"_s);
    QVERIFY(!shopBox->isVisible());
    store.toggleShop(rakuten.id);
    choose("filterMenu", u"directShopSearch"_s);
    QCOMPARE(shops->currentText(), u"ヨドバシ・ドット・コム"_s);
    QVERIFY(itemTexts(shops).contains(u"楽天市場"_s));

    // Disabled meanwhile: no row pretends to be the choice, yet it is searched;
    // enabled again, it shows as chosen once more.
    const TrustedShop yodobashi = shopNamed(store, u"ヨドバシ・ドット・コム"_s);
    store.toggleShop(yodobashi.id);
    QCOMPARE(shops->currentIndex(), -1);
    QVERIFY(submit(u"SSD"_s).first().startsWith(u"https://www.yodobashi.com/?word=SSD"_s));
    store.toggleShop(yodobashi.id);
    QCOMPARE(shops->currentText(), u"ヨドバシ・ドット・コム"_s);

    // The first row means no shop again.
    choose("shopMenu", allShopsRow);
    QCOMPARE(m_bar->selectedShopId(), std::nullopt);
    QVERIFY(submit(u"SSD"_s).first().startsWith(u"https://www.google.co.jp/search?"_s));
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
    QStringList firstSix;
    for (int index = 0; index < 6; ++index)
        firstSix.append(store.trustedShops().at(index).name);
    // Disabled shops keep their chip.
    store.toggleShop(store.trustedShops().at(1).id);
    QCOMPARE(chipTexts(), firstSix);

    // Six chips and the widest menu row still fit the smallest window.
    choose("filterMenu", u"directShopSearch"_s);
    m_bar->resize(720, m_bar->heightForWidth(720) > 0 ? m_bar->heightForWidth(720) : 130);
    QTRY_VERIFY(m_bar->minimumSizeHint().width() <= 720);
    QTRY_VERIFY(button("shopChip5")->mapTo(m_bar.get(), QPoint(button("shopChip5")->width(), 0)).x()
                <= 720 - 12);

    const QList<TrustedShop> three = store.trustedShops().mid(3, 3);
    store.setTrustedShops(three);
    QCOMPARE(chipTexts(), (QStringList {three.at(0).name, three.at(1).name, three.at(2).name}));

    // A long custom name is shortened on its chip; the whole name is in the
    // tooltip.
    store.setTrustedShops({});
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

    QTest::newRow("empty query, disabled shop's top page")
        << u"trustedOnly"_s << 1 << QString() << u"https://rakuten.co.jp"_s;
    QTest::newRow("query encoded, not trimmed")
        << u"trustedOnly"_s << 0 << u" M&A "_s << u"https://www.amazon.co.jp/s?k=%20M%26A%20"_s;
    QTest::newRow("japanese query")
        << u"directShopSearch"_s << 3 << u"ノート PC"_s
        << u"https://www.yodobashi.com/?word=%E3%83%8E%E3%83%BC%E3%83%88%20PC"_s;
    QTest::newRow("reserved characters")
        << u"excludeSuspicious"_s << 1 << u"a/b?c=d+e"_s
        << u"https://search.rakuten.co.jp/search/mall/a%2Fb%3Fc%3Dd%2Be/"_s;
}

void TestSearchBarView::chipsOpenShopSearchOrTopPage()
{
    QFETCH(QString, mode);
    QFETCH(int, chip);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    // Rakuten disabled: a chip does not care.
    m_env->ruleStore.toggleShop(m_env->ruleStore.trustedShops().at(1).id);
    choose("filterMenu", mode);
    m_bar->setSearchText(typed);

    QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);
    QTest::mouseClick(button(qPrintable(u"shopChip%1"_s.arg(chip))), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toString(), expected);
}

void TestSearchBarView::clearButtonOnlyWhileThereIsText()
{
    auto *clear = m_bar->findChild<QToolButton *>(u"clearButton"_s);
    QSignalSpy textSpy(m_bar.get(), &SearchBarView::searchTextChanged);
    QVERIFY(!clear->isVisible());

    QTest::keyClicks(m_bar->findChild<QLineEdit *>(u"queryField"_s), u" b"_s);
    QVERIFY(clear->isVisible());
    QCOMPARE(textSpy.last().at(0).toString(), u" b"_s);

    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(m_bar->searchText(), QString());
    QCOMPARE(textSpy.last().at(0).toString(), QString());
    QVERIFY(!clear->isVisible());
}

void TestSearchBarView::followsTheThemeAndADarkPalette()
{
    // The shop search button is tinted with the accent, a chip sits on the tint.
    m_env->themeManager.setCurrentTheme(AppTheme::emerald);
    QVERIFY(closeTo(fillOf(button("shopSearchButton")), QColor::fromRgbF(0.1f, 0.72f, 0.5f)));
    QVERIFY(closeTo(fillOf(button("shopChip0")), QColor::fromRgbF(0.85f, 0.98f, 0.92f)));

    // The bar on the window colour, the query box on the control colour.
    m_bar->setPalette(darkTestPalette());
    QTRY_VERIFY(closeTo(m_bar->grab().toImage().pixelColor(2, 2), QColor(38, 38, 38)));
    auto *box = m_bar->findChild<QWidget *>(u"queryBox"_s);
    QVERIFY(closeTo(box->grab().toImage().pixelColor(box->width() / 2, 4), QColor(30, 30, 30)));
    auto *field = m_bar->findChild<QLineEdit *>(u"queryField"_s);
    QCOMPARE(field->palette().color(QPalette::Text), QColor(232, 232, 232));
}

QTEST_MAIN(TestSearchBarView)
#include "tst_searchbarview.moc"
