#include "views/warning/ShopBadgeView.h"

#include "safety/SafetyLevel.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

class TestShopBadgeView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsEachVerdict_data();
    void showsEachVerdict();
};

void TestShopBadgeView::showsEachVerdict_data()
{
    QTest::addColumn<SafetyLevel>("level");
    QTest::addColumn<bool>("proceeded");
    QTest::addColumn<bool>("insecure");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");

    const QString shop = u"ヨドバシ・ドット・コム"_s;
    const QString warning = u"exclamationmark.triangle.fill"_s;
    QTest::newRow("trusted") << SafetyLevel::trusted(shop) << false << false
                             << u"checkmark.seal.fill"_s << shop << u"公認正規店"_s;
    const SafetyLevel suspicious = SafetyLevel::suspicious({u"悪質詐欺通販サイトで多発するTLD"_s});
    QTest::newRow("suspicious") << suspicious << false << false << warning
                                << u"危険サイト・詐欺疑い"_s << u"ブロック"_s;
    // Shown because the user went past the warning: not "blocked".
    QTest::newRow("suspicious, proceeded")
        << suspicious << true << false << warning << u"危険サイト・詐欺疑い"_s
        << u"警告を無視して表示中"_s;
    // The right shop over plain http: never the green "公認正規店".
    QTest::newRow("trusted over http")
        << SafetyLevel::trusted(shop) << false << true << u"lock.open.fill"_s << shop
        << u"公認店・保護されていない通信"_s;
    QTest::newRow("caution") << SafetyLevel::caution({u"公認ショップではありません"_s}) << false
                             << false << warning << u"注意"_s << QString();
    QTest::newRow("neutral") << SafetyLevel::neutral(u"www.example.com"_s) << false << false
                             << u"globe"_s << u"www.example.com"_s << QString();
}

void TestShopBadgeView::showsEachVerdict()
{
    QFETCH(SafetyLevel, level);
    QFETCH(bool, proceeded);
    QFETCH(bool, insecure);
    QFETCH(QString, symbol);
    QFETCH(QString, text);
    QFETCH(QString, tag);

    ShopBadgeView badge;
    // Start from another verdict so that every part has to change.
    badge.setSafetyLevel(level.isTrusted() ? SafetyLevel::suspicious({u"x"_s})
                                           : SafetyLevel::trusted(u"楽天市場"_s));
    badge.setSafetyLevel(level);
    badge.setProceeded(proceeded);
    badge.setInsecure(insecure);
    badge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&badge));

    QCOMPARE(badge.findChild<QLabel *>(u"badgeSymbol"_s)->toolTip(), symbol);
    auto *textLabel = badge.findChild<QLabel *>(u"badgeText"_s);
    QCOMPARE(textLabel->text(), text);
    // Whole text shown, nothing clipped.
    QVERIFY(textLabel->width() >= textLabel->fontMetrics().horizontalAdvance(text));
    auto *tagLabel = badge.findChild<QLabel *>(u"badgeTag"_s);
    QCOMPARE(tagLabel->isVisible(), !tag.isEmpty());
    if (!tag.isEmpty())
        QCOMPARE(tagLabel->text(), tag);
    // The reasons are the warning's to tell; the badge stays short.
    for (const QLabel *label : badge.findChildren<QLabel *>()) {
        for (const QString &reason : level.reasons())
            QVERIFY(!label->text().contains(reason) && !label->toolTip().contains(reason));
    }
}

QTEST_MAIN(TestShopBadgeView)
#include "tst_shopbadgeview.moc"
