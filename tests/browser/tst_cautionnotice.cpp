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
    const QUrl next(u"https://qzxv-shop.com/item/2"_s);
    CautionNotice notice;
    QCOMPARE(notice.reasons(caution, page), caution.reasons());
    QVERIFY(notice.reasons(SafetyLevel::neutral(u"qzxv-shop.com"_s), page).isEmpty());

    notice.dismiss(page);
    QVERIFY(notice.reasons(caution, page).isEmpty());
    // Moving within the page keeps it closed.
    notice.pageShown(reviews);
    QVERIFY(notice.reasons(caution, reviews).isEmpty());
    // Another page of the same shop is another page, and coming back is a
    // new visit.
    notice.pageShown(next);
    QCOMPARE(notice.reasons(caution, next), caution.reasons());
    notice.pageShown(page);
    QCOMPARE(notice.reasons(caution, page), caution.reasons());
}

QTEST_APPLESS_MAIN(TestCautionNotice)
#include "tst_cautionnotice.moc"
