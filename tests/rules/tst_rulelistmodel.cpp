#include "rules/RuleListModel.h"

#include "prefs/SettingsPreferencesStore.h"
#include "rules/DefaultRules.h"
#include "rules/ExcludedPatternListModel.h"
#include "rules/SecurityRuleStore.h"
#include "rules/TrustedShopListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

using StoreChange = std::function<void(SecurityRuleStore &)>;
Q_DECLARE_METATYPE(StoreChange)

namespace {

// What a row shows, role by role, as one text.
QString shown(const QAbstractItemModel &model, int row)
{
    const QModelIndex index = model.index(row, 0);
    return QStringList {index.data().toString(),
                        index.data(RuleListModel::NoteRole).toString(),
                        index.data(RuleListModel::DetailRole).toString(),
                        index.data(RuleListModel::BadgeRole).toString(),
                        index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? u"on"_s : u"off"_s,
                        index.data(RuleListModel::RemovableRole).toBool() ? u"removable"_s
                                                                          : u"kept"_s}
        .join(u'|');
}

} // namespace

class tst_RuleListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void rowsFollowTheStore_data();
    void rowsFollowTheStore();
    void switchesAndDeletesGoToTheStore();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsPreferencesStore> m_preferences;
    std::unique_ptr<SecurityRuleStore> m_store;
};

void tst_RuleListModel::init()
{
    m_store.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_preferences = std::make_unique<SettingsPreferencesStore>(m_dir->filePath(u"p.ini"_s));
    m_store = std::make_unique<SecurityRuleStore>(*m_preferences);
    m_store->addCustomShop(u"マイショップ"_s, u"my-shop.example"_s, u"一般"_s, u"t"_s);
}

void tst_RuleListModel::rowsFollowTheStore_data()
{
    QTest::addColumn<StoreChange>("change");
    QTest::addColumn<QString>("signal"); // what the views are told
    QTest::addColumn<int>("row"); // the row it names, or the row to compare after a change

    QTest::newRow("switch flipped")
        << StoreChange([](SecurityRuleStore &s) { s.toggleShop(s.trustedShops().at(3).id); })
        << u"dataChanged"_s << 3;
    QTest::newRow("shop added") << StoreChange([](SecurityRuleStore &s) {
        s.addCustomShop(u"店"_s, u"b.example"_s, QString(), QString());
    }) << u"rowsInserted"_s << 26;
    QTest::newRow("shop removed") << StoreChange([](SecurityRuleStore &s) {
        s.removeShop(s.trustedShops().at(1).id);
    }) << u"rowsRemoved"_s << 1;
    QTest::newRow("rows replaced") << StoreChange([](SecurityRuleStore &s) {
        QList<TrustedShop> shops = s.trustedShops();
        std::reverse(shops.begin(), shops.end());
        s.setTrustedShops(shops);
    }) << u"modelReset"_s << 0;
}

void tst_RuleListModel::rowsFollowTheStore()
{
    QFETCH(StoreChange, change);
    QFETCH(QString, signal);
    QFETCH(int, row);

    TrustedShopListModel model(*m_store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    change(*m_store);

    // One row in or out where the store changed, not the whole list again,
    // so a view keeps its place.
    QCOMPARE(inserted.size(), signal == u"rowsInserted"_s ? 1 : 0);
    QCOMPARE(removed.size(), signal == u"rowsRemoved"_s ? 1 : 0);
    QCOMPARE(reset.size(), signal == u"modelReset"_s ? 1 : 0);
    for (QSignalSpy *spy : {&inserted, &removed}) {
        if (!spy->isEmpty()) {
            QCOMPARE(spy->constFirst().at(1).toInt(), row);
            QCOMPARE(spy->constFirst().at(2).toInt(), row);
        }
    }
    const QList<TrustedShop> &shops = m_store->trustedShops();
    QCOMPARE(model.rowCount(), shops.size());
    QCOMPARE(model.index(row, 0).data(RuleListModel::IdRole).toUuid(), shops.at(row).id);
    QCOMPARE(model.index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked,
             shops.at(row).isEnabled);
}

void tst_RuleListModel::switchesAndDeletesGoToTheStore()
{
    m_store->addCustomPattern(u"*.scam"_s, u"自分で追加"_s);
    TrustedShopListModel shops(*m_store);
    ExcludedPatternListModel patterns(*m_store);
    const int custom = shops.rowCount() - 1;
    const int pattern = patterns.rowCount() - 1;

    QCOMPARE(shown(shops, 0), u"Amazon.co.jp|(総合)|amazon.co.jp||on|kept"_s);
    QCOMPARE(shown(shops, custom), u"マイショップ|(一般)|my-shop.example|カスタム|on|removable"_s);
    QCOMPARE(shown(patterns, 0), u"*.top||悪質詐欺通販サイトで多発するTLD||on|kept"_s);
    QCOMPARE(shown(patterns, pattern), u"*.scam||自分で追加|カスタム|on|removable"_s);

    // The same state asked for twice flips once.
    for (int i = 0; i < 2; ++i) {
        QVERIFY(shops.setData(shops.index(0), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(patterns.setData(patterns.index(pattern), Qt::Unchecked, Qt::CheckStateRole));
    }
    QVERIFY(!m_store->trustedShops().at(0).isEnabled);
    QVERIFY(!m_store->excludedPatterns().at(pattern).isEnabled);
    QCOMPARE(shown(shops, 0), u"Amazon.co.jp|(総合)|amazon.co.jp||off|kept"_s);

    QVERIFY(shops.removeRows(custom, 1));
    QVERIFY(patterns.removeRows(pattern, 1));
    QCOMPARE(m_store->trustedShops().size(), defaultTrustedShops().size());
    QCOMPARE(m_store->excludedPatterns().size(), defaultExcludedPatterns().size());
    QVERIFY(!shops.removeRows(shops.rowCount(), 1));
}

QTEST_GUILESS_MAIN(tst_RuleListModel)
#include "tst_rulelistmodel.moc"
