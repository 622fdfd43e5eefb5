#include "views/warning/SafeGuardWarningView.h"

#include "support/TestPalette.h"
#include "support/TestStores.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Compares colours as painted: anti-aliasing and the style move them a little.
bool closeTo(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 6 && qAbs(a.green() - b.green()) <= 6
        && qAbs(a.blue() - b.blue()) <= 6;
}

struct Fixture : TestStores
{
    SafeGuardWarningView view {themeManager};
};

} // namespace

class TestSafeGuardWarningView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_env.reset(); }

    void everyReasonFitsWithoutScrolling();
    void middleElidesALongAddressOrShowsUnknown();
    void oneButtonLeadsAndEachAsksOnce();
    void textStaysReadableOnADarkPalette();

private:
    template<typename T = QLabel> T *child(const QString &name) const
    {
        return m_env->view.findChild<T *>(name);
    }

    std::unique_ptr<Fixture> m_env;
    SafeGuardWarningView *m_view = nullptr;
};

void TestSafeGuardWarningView::init()
{
    m_env = std::make_unique<Fixture>();
    m_view = &m_env->view;
    m_view->resize(900, 640);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestSafeGuardWarningView::everyReasonFitsWithoutScrolling()
{
    // A long reason wraps inside the box; the next row comes below all of it.
    m_view->setReasons({u"非常に長い理由の説明文です。"_s.repeated(12), u"短い理由"_s});
    auto *box = child<QFrame>(u"warningDetailBox"_s);
    const QList<QLabel *> two = m_view->findChildren<QLabel *>(u"warningReason"_s);
    QTRY_VERIFY(two.first()->height() > 2 * two.first()->fontMetrics().height());
    QVERIFY(two.first()->mapTo(box, QPoint(two.first()->width(), 0)).x() <= box->width());
    QTRY_VERIFY(two.at(1)->mapTo(box, QPoint()).y()
                > two.first()->mapTo(box, QPoint()).y() + two.first()->height());

    // No scrolling: the pane asks for the room every row needs.
    QStringList many;
    for (int index = 1; index <= 25; ++index)
        many.append(u"理由 %1"_s.arg(index));
    m_view->setReasons(many);
    QVERIFY(m_view->findChildren<QAbstractScrollArea *>().isEmpty());
    m_view->resize(900, m_view->minimumSizeHint().height());
    const QList<QLabel *> rows = m_view->findChildren<QLabel *>(u"warningReason"_s);
    QCOMPARE(rows.size(), many.size());
    QCOMPARE(rows.last()->text(), many.last());
    QTRY_VERIFY(rows.last()->mapTo(m_view, QPoint(0, rows.last()->height())).y()
                <= m_view->height());
}

void TestSafeGuardWarningView::middleElidesALongAddressOrShowsUnknown()
{
    const QString longAddress = u"https://very-long-scam-shop-name.top/"_s
        + u"category/"_s.repeated(30) + u"item-final-page.html?ref=END"_s;
    m_view->setBlockedUrl(QUrl(longAddress));
    QLabel *address = child(u"warningAddress"_s);
    QCOMPARE(address->toolTip(), longAddress);
    // A narrower pane elides more; both ends stay and the text fits.
    for (const int width : {900, 420}) {
        m_view->resize(width, 640);
        QTRY_VERIFY(address->fontMetrics().horizontalAdvance(address->text()) <= address->width());
        QVERIFY2(address->text().startsWith(u"https://very-long"_s), qPrintable(address->text()));
        QVERIFY2(address->text().endsWith(u"?ref=END"_s), qPrintable(address->text()));
        QVERIFY(address->text().contains(u'…'));
    }

    m_view->setBlockedUrl(QUrl());
    QCOMPARE(address->text(), u"不明"_s);
    // An address QUrl refused shows as the engine wrote it.
    m_view->setBlockedUrl(QUrl(u"http://scam.top../order"_s));
    QCOMPARE(address->text(), u"http://scam.top../order"_s);
}

void TestSafeGuardWarningView::oneButtonLeadsAndEachAsksOnce()
{
    // The lead button is filled with the theme's accent and answers Enter.
    m_env->themeManager.setCurrentTheme(AppTheme::emerald);
    auto *suggestion = child<QPushButton>(u"warningSuggestionButton"_s);
    auto *goBack = child<QPushButton>(u"warningGoBackButton"_s);
    const auto leads = [](QPushButton *candidate) {
        return candidate->isVisible() && candidate->isDefault()
            && closeTo(candidate->grab().toImage().pixelColor(4, candidate->height() / 2),
                       QColor::fromRgbF(0.1f, 0.72f, 0.5f));
    };
    QVERIFY(!suggestion->isVisible());
    QVERIFY(leads(goBack));

    m_view->setSuggestion({u"楽天市場"_s, u"rakuten.co.jp"_s});
    QCOMPARE(suggestion->text(), u"楽天市場 (rakuten.co.jp) を開く"_s);
    QVERIFY(goBack->isVisible());
    QTRY_VERIFY(leads(suggestion));
    QVERIFY(!leads(goBack));

    QSignalSpy opened(m_view, &SafeGuardWarningView::suggestionRequested);
    QSignalSpy wentBack(m_view, &SafeGuardWarningView::goBackRequested);
    QSignalSpy proceeded(m_view, &SafeGuardWarningView::proceedAnywayRequested);
    auto *proceed = child<QPushButton>(u"warningProceedButton"_s);
    for (QPushButton *button : {suggestion, goBack, proceed})
        QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE((QList {opened.count(), wentBack.count(), proceeded.count()}),
             (QList<qsizetype> {1, 1, 1}));

    // The next block without a look-alike: going back leads again; with
    // nothing to proceed to, that button is not offered.
    m_view->setSuggestion({});
    m_view->setCanProceed(false);
    QVERIFY(leads(goBack));
    QVERIFY(!suggestion->isVisible());
    QVERIFY(!proceed->isVisible());
}

void TestSafeGuardWarningView::textStaysReadableOnADarkPalette()
{
    m_view->setBlockedUrl(QUrl(u"http://scam-shop.top/"_s));
    m_view->setPalette(darkTestPalette());
    auto *box = child<QFrame>(u"warningDetailBox"_s);
    QTRY_VERIFY(closeTo(box->grab().toImage().pixelColor(box->width() - 8, box->height() / 2),
                        QColor(30, 30, 30)));
    const QImage address = child(u"warningAddress"_s)->grab().toImage();
    int light = 0;
    for (int y = 0; y < address.height(); ++y) {
        for (int x = 0; x < address.width(); ++x)
            light += address.pixelColor(x, y).lightness() > 180 ? 1 : 0;
    }
    QVERIFY(light > 10);
}

QTEST_MAIN(TestSafeGuardWarningView)
#include "tst_safeguardwarningview.moc"
