#include "views/warning/CautionBarView.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class TestCautionBarView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesEveryReasonAndCloses();
};

void TestCautionBarView::namesEveryReasonAndCloses()
{
    // Above a page, as the browser pane puts it.
    QWidget pane;
    pane.resize(420, 300);
    auto *bar = new CautionBarView(&pane);
    (new QVBoxLayout(&pane))->addWidget(bar, 0, Qt::AlignTop);
    const QStringList reasons {
        u"公認ショップではありません。購入前に特定商取引法の表記と支払方法を確認してください"_s,
        u"無料の動的DNSサービスのアドレスです"_s};
    bar->setReasons(reasons);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));

    const QList<QLabel *> labels = bar->findChildren<QLabel *>(u"cautionReason"_s);
    QCOMPARE(labels.size(), 2);
    QCOMPARE(labels.first()->text(), reasons.first());
    QCOMPARE(labels.last()->text(), reasons.last());
    // A long reason wraps within the pane, and the bar is tall enough for it.
    QCOMPARE(pane.width(), 420);
    QTRY_VERIFY(labels.first()->height() >= 2 * labels.first()->fontMetrics().lineSpacing());
    QVERIFY(labels.last()->mapTo(bar, QPoint(0, labels.last()->height())).y() <= bar->height());

    QSignalSpy dismissed(bar, &CautionBarView::dismissRequested);
    QTest::mouseClick(bar->findChild<QToolButton *>(u"cautionCloseButton"_s), Qt::LeftButton);
    QCOMPARE(dismissed.count(), 1);
}

QTEST_MAIN(TestCautionBarView)
#include "tst_cautionbarview.moc"
