#include "views/search/SearchBarView.h"

#include "safety/WebAddress.h"
#include "support/TestPalette.h"
#include "support/TestStores.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString allShopsRow = u"全ショップ一覧から選択"_s;

} // namespace

class TestSearchBarView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestStores>();
        m_bar = std::make_unique<SearchBarView>(m_env->ruleStore, m_env->themeManager);
        m_bar->resize(1000, m_bar->sizeHint().height());
        m_bar->show();
    }
    void cleanup()
    {
        m_bar.reset();
        m_env.reset();
    }

    void searchesOpenTheFilteredAddress_data();
    void searchesOpenTheFilteredAddress();
    void queryBoxAndMenusFollowTheStoreAndPalette();
    void shopMenuKeepsItsChoiceAndChipsFit();

private:
    template<typename T = QPushButton> T *child(const QString &name) const
    {
        return m_bar->findChild<T *>(name);
    }
    // Picks a row the way a user does, by making it the menu's current row;
    // rows are found by their raw value or, for shops, by their text.
    void choose(const QString &menuName, const QString &row)
    {
        auto *menu = child<QComboBox>(menuName);
        const int index = menu->findData(row) >= 0 ? menu->findData(row) : menu->findText(row);
        QVERIFY2(index >= 0, qPrintable(row));
        menu->setCurrentIndex(index);
    }
    // Types the text and presses Return or the named button; gives the
    // address handed on, if any.
    QString search(const QString &typed, const QString &pressed = {})
    {
        QSignalSpy spy(m_bar.get(), &SearchBarView::searchRequested);
        m_bar->setSearchText(typed);
        if (pressed.isEmpty())
            QTest::keyClick(child<QLineEdit>(u"queryField"_s), Qt::Key_Return);
        else
            QTest::mouseClick(child(pressed), Qt::LeftButton);
        return spy.size() == 1 ? WebAddress::text(spy.first().at(0).toUrl())
                               : QString::number(spy.size());
    }

    std::unique_ptr<TestStores> m_env;
    std::unique_ptr<SearchBarView> m_bar;
};

void TestSearchBarView::searchesOpenTheFilteredAddress_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("pressed"); // an object name; empty: the Return key
    QTest::addColumn<QString>("typed");
    // Empty: nothing opens; an engine's raw value: its filtered search of the
    // trimmed text.
    QTest::addColumn<QString>("expected");

    const QString trusted = u"trustedOnly"_s, suspicious = u"excludeSuspicious"_s;
    const QString shop = u"googleShopping"_s, web = u"googleWeb"_s;
    QTest::newRow("trimmed") << trusted << shop << QString() << u"  ノート PC \t"_s << shop;
    QTest::newRow("blank") << suspicious << shop << QString() << u"   "_s << QString();
    // An address is opened, whichever engine is chosen; words are searched.
    QTest::newRow("typed http address")
        << trusted << web << u"webSearchButton"_s << u" http://shop.example.jp/ "_s
        << u"http://shop.example.jp/"_s;
    // Each button searches with its own engine.
    QTest::newRow("web button") << suspicious << shop << u"webSearchButton"_s << u"Mac"_s << web;
    QTest::newRow("shop button") << suspicious << web << u"shopSearchButton"_s << u"Mac"_s << shop;
    // Chips search their shop as typed, Rakuten (the second) switched off.
    QTest::newRow("chip, empty query: the disabled shop's top page")
        << suspicious << shop << u"shopChip1"_s << QString() << u"https://rakuten.co.jp"_s;
    QTest::newRow("chip, encoded, not trimmed") << trusted << shop << u"shopChip0"_s << u" M&A "_s
                                                << u"https://www.amazon.co.jp/s?k=%20M%26A%20"_s;
}

void TestSearchBarView::searchesOpenTheFilteredAddress()
{
    QFETCH(QString, mode);
    QFETCH(QString, engine);
    QFETCH(QString, pressed);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    SecurityRuleStore &store = m_env->ruleStore;
    store.toggleShop(store.trustedShops().at(1).id);
    choose(u"engineMenu"_s, engine);
    choose(u"filterMenu"_s, mode);
    const QString address = search(typed, pressed);
    if (const auto builtWith = searchTargetEngineFromRawValue(expected)) {
        expected = WebAddress::text(SafeBrowsingEngine()
                                        .buildSearchURL(typed.trimmed(), store.filterMode(),
                                                        *builtWith, store, std::nullopt)
                                        .value());
    }
    QCOMPARE(address, expected.isEmpty() ? u"0"_s : expected);
}

void TestSearchBarView::queryBoxAndMenusFollowTheStoreAndPalette()
{
    auto *field = child<QLineEdit>(u"queryField"_s);
    // A change made elsewhere (another window) shows here.
    m_env->ruleStore.setFilterMode(SearchFilterMode::trustedOnly);
    m_env->ruleStore.setSearchEngine(SearchTargetEngine::googleWeb);
    QCOMPARE(child<QComboBox>(u"filterMenu"_s)->currentData().toString(), u"trustedOnly"_s);
    QCOMPARE(child<QComboBox>(u"engineMenu"_s)->currentData().toString(), u"googleWeb"_s);

    // The clear button shows only while there is text.
    auto *clear = child<QToolButton>(u"clearButton"_s);
    QVERIFY(!clear->isVisible());
    QTest::keyClicks(field, u" b"_s);
    QVERIFY(clear->isVisible());
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(m_bar->searchText(), QString());
    QVERIFY(!clear->isVisible());

    // The bar on the window colour, the query box on the control colour.
    const QPalette dark = darkTestPalette();
    m_bar->setPalette(dark);
    QTRY_VERIFY(closeTo(m_bar->grab().toImage().pixelColor(2, 2), dark.color(QPalette::Window)));
    auto *box = child<QWidget>(u"queryBox"_s);
    QVERIFY(
        closeTo(box->grab().toImage().pixelColor(box->width() / 2, 4), dark.color(QPalette::Base)));
    QCOMPARE(child<QLineEdit>(u"queryField"_s)->palette().color(QPalette::Text),
             dark.color(QPalette::Text));
}

void TestSearchBarView::shopMenuKeepsItsChoiceAndChipsFit()
{
    SecurityRuleStore &store = m_env->ruleStore;
    QWidget *shopBox = child<QWidget>(u"shopMenuBox"_s);
    auto *shops = child<QComboBox>(u"shopMenu"_s);
    const TrustedShop rakuten = store.trustedShops().at(1);
    const TrustedShop yodobashi = store.trustedShops().at(3);
    QVERIFY(!shopBox->isVisible());

    // Only in direct shop search, and only enabled shops after the "no shop" row.
    store.toggleShop(rakuten.id);
    choose(u"filterMenu"_s, u"directShopSearch"_s);
    QVERIFY(shopBox->isVisible());
    QCOMPARE(shops->currentText(), allShopsRow);
    QCOMPARE(shops->count(), store.trustedShops().size());
    QCOMPARE(shops->findText(rakuten.name), -1);

    choose(u"shopMenu"_s, yodobashi.name);
    QCOMPARE(search(u" M&A 本 "_s), u"https://www.yodobashi.com/?word=M%26A%20%E6%9C%AC"_s);

    // Leaving the mode hides the menu; coming back shows the same choice,
    // also after the list changed meanwhile.
    choose(u"filterMenu"_s, u"trustedOnly"_s);
    QVERIFY(!shopBox->isVisible());
    store.toggleShop(rakuten.id);
    choose(u"filterMenu"_s, u"directShopSearch"_s);
    QCOMPARE(shops->currentText(), yodobashi.name);

    // Disabled meanwhile: no row pretends to be the choice, yet it is searched;
    // enabled again, it shows as chosen once more.
    store.toggleShop(yodobashi.id);
    QCOMPARE(shops->currentIndex(), -1);
    QVERIFY(search(u"SSD"_s).startsWith(u"https://www.yodobashi.com/?word=SSD"_s));
    store.toggleShop(yodobashi.id);
    QCOMPARE(shops->currentText(), yodobashi.name);

    // The first row means no shop again.
    choose(u"shopMenu"_s, allShopsRow);
    QVERIFY(search(u"SSD"_s).startsWith(u"https://www.google.co.jp/search?"_s));

    // Six chips and the widest menu row still fit the smallest window.
    choose(u"filterMenu"_s, u"directShopSearch"_s);
    m_bar->resize(720, qMax(m_bar->heightForWidth(720), 130));
    QTRY_VERIFY(m_bar->minimumSizeHint().width() <= 720);
    QPushButton *last = child(u"shopChip5"_s);
    QTRY_VERIFY(last->mapTo(m_bar.get(), QPoint(last->width(), 0)).x() <= 720 - 12);

    // A long custom name is shortened on its chip; the whole name is in the
    // tooltip.
    store.setTrustedShops({});
    const QString longName = u"とても長い名前のカスタムショップ"_s.repeated(4);
    store.addCustomShop(longName, u"example.com"_s, u"総合"_s, u"https://example.com/?q={query}"_s);
    QVERIFY(child(u"shopChip0"_s)->text().endsWith(u'…'));
    QVERIFY(child(u"shopChip0"_s)->toolTip().contains(longName));
    QVERIFY(!child(u"shopChip1"_s)->isVisible());
}

QTEST_MAIN(TestSearchBarView)
#include "tst_searchbarview.moc"
