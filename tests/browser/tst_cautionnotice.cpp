#include "browser/CautionNotice.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCautionNotice final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsUntilClosedForThatPage();
};

void TestCautionNotice::showsUntilClosedForThatPage()
{
    const SafetyLevel caution = SafetyLevel::caution({u"公認ショップではありません"_s});
    const QUrl page(u"https://qzxv-shop.com/item/1"_s);
    const QUrl reviews(u"https://qzxv-shop.com/item/1#reviews"_s);
    CautionNotice notice;
    QCOMPARE(notice.reasons(caution, page), caution.reasons());
    QVERIFY(notice.reasons(SafetyLevel::neutral(u"qzxv-shop.com"_s), page).isEmpty());

    // Closed for the page, also when moving within it; another page, and a
    // new visit, bring it back.
    notice.dismiss(page);
    notice.pageShown(reviews);
    QVERIFY(notice.reasons(caution, reviews).isEmpty());
    notice.pageShown(QUrl(u"https://qzxv-shop.com/item/2"_s));
    notice.pageShown(page);
    QCOMPARE(notice.reasons(caution, page), caution.reasons());
}

QTEST_APPLESS_MAIN(TestCautionNotice)
#include "tst_cautionnotice.moc"
