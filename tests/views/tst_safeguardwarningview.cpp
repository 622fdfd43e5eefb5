#include "views/warning/SafeGuardWarningView.h"

#include "support/TestPalette.h"
#include "support/TestStores.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool closeTo(const QColor &a, const QColor &b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

int pixelsWhere(const QImage &image, const std::function<bool(const QColor &)> &test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}

} // namespace

class TestSafeGuardWarningView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void everythingFitsWithoutScrolling();
    void middleElidesALongAddressOrShowsUnknown();
    void oneButtonLeadsAndEachAsksOnce();
    void followsADarkPalette();

private:
    QStringList reasonTexts() const;
    QLabel *label(const char *name) const;
    QPushButton *button(const char *name) const;

    std::unique_ptr<TestStores> m_env;
    std::unique_ptr<SafeGuardWarningView> m_view;
};

void TestSafeGuardWarningView::init()
{
    m_env = std::make_unique<TestStores>();
    m_view = std::make_unique<SafeGuardWarningView>(m_env->themeManager);
    m_view->resize(900, 640);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestSafeGuardWarningView::cleanup()
{
    m_view.reset();
    m_env.reset();
}

QStringList TestSafeGuardWarningView::reasonTexts() const
{
    QStringList texts;
    for (const QLabel *reason : m_view->findChildren<QLabel *>(u"warningReason"_s))
        texts.append(reason->text());
    return texts;
}

QLabel *TestSafeGuardWarningView::label(const char *name) const
{
    return m_view->findChild<QLabel *>(QLatin1String(name));
}

QPushButton *TestSafeGuardWarningView::button(const char *name) const
{
    return m_view->findChild<QPushButton *>(QLatin1String(name));
}

void TestSafeGuardWarningView::everythingFitsWithoutScrolling()
{
    // The sign is the colour emoji (yellow), not a red outline of a text font.
    QLabel *title = label("warningTitle");
    QVERIFY(pixelsWhere(title->grab().toImage(),
                        [](const QColor &pixel) {
                            return pixel.red() > 200 && pixel.green() > 150 && pixel.blue() < 100;
                        })
            > 0);
    QVERIFY(title->width() >= title->sizeHint().width());

    // A long reason wraps inside the box; the next row comes below all of it.
    const QString longReason = u"非常に長い理由の説明文です。"_s.repeated(12);
    m_view->setReasons({longReason, u"短い理由"_s});
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
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
    QCOMPARE(reasonTexts(), many);
    m_view->resize(900, m_view->minimumSizeHint().height());
    const QList<QLabel *> rows = m_view->findChildren<QLabel *>(u"warningReason"_s);
    QTRY_VERIFY(rows.last()->mapTo(m_view.get(), QPoint(0, rows.last()->height())).y()
                <= m_view->height());
}

void TestSafeGuardWarningView::middleElidesALongAddressOrShowsUnknown()
{
    const QString longAddress = u"https://very-long-scam-shop-name.top/"_s
        + u"category/"_s.repeated(30) + u"item-final-page.html?ref=END"_s;
    m_view->setBlockedUrl(QUrl(longAddress));
    QLabel *address = label("warningAddress");
    QCOMPARE(address->toolTip(), longAddress);
    QTRY_VERIFY(address->text().contains(u'…'));
    const QString shown = address->text();
    QVERIFY2(shown.startsWith(u"https://very-long"_s), qPrintable(shown));
    QVERIFY2(shown.endsWith(u"?ref=END"_s), qPrintable(shown));
    QVERIFY(address->fontMetrics().horizontalAdvance(shown) <= address->width());
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
    QVERIFY(address->mapTo(box, QPoint(address->width(), 0)).x() <= box->width());

    // A narrower pane elides more, and still keeps both ends.
    m_view->resize(420, 640);
    QTRY_VERIFY(address->text().size() < shown.size());
    QVERIFY(address->text().startsWith(u"https://"_s));
    QVERIFY(address->text().endsWith(u"END"_s));

    m_view->setBlockedUrl(QUrl());
    QCOMPARE(address->text(), u"不明"_s);
    // An address QUrl refused shows as the engine wrote it.
    m_view->setBlockedUrl(QUrl(u"http://scam.top../order"_s));
    QCOMPARE(address->text(), u"http://scam.top../order"_s);
}

void TestSafeGuardWarningView::oneButtonLeadsAndEachAsksOnce()
{
    // The lead button is filled with the theme's accent.
    m_env->themeManager.setCurrentTheme(AppTheme::emerald);
    QPushButton *suggestion = button("warningSuggestionButton");
    QPushButton *goBack = button("warningGoBackButton");
    const auto leads = [](QPushButton *candidate) {
        return closeTo(candidate->grab().toImage().pixelColor(4, candidate->height() / 2),
                       QColor::fromRgbF(0.1f, 0.72f, 0.5f));
    };
    QVERIFY(!suggestion->isVisible());
    QVERIFY(leads(goBack));

    m_view->setSuggestion({u"楽天市場"_s, u"rakuten.co.jp"_s});
    QCOMPARE(suggestion->text(), u"楽天市場 (rakuten.co.jp) を開く"_s);
    QVERIFY(suggestion->isVisible() && goBack->isVisible());
    QTRY_VERIFY(leads(suggestion));
    QVERIFY(!leads(goBack));

    QSignalSpy opened(m_view.get(), &SafeGuardWarningView::suggestionRequested);
    QSignalSpy wentBack(m_view.get(), &SafeGuardWarningView::goBackRequested);
    QSignalSpy proceeded(m_view.get(), &SafeGuardWarningView::proceedAnywayRequested);
    for (const char *name :
         {"warningSuggestionButton", "warningGoBackButton", "warningProceedButton"})
        QTest::mouseClick(button(name), Qt::LeftButton);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(wentBack.count(), 1);
    QCOMPARE(proceeded.count(), 1);

    // The next block without a look-alike: going back leads again.
    m_view->setSuggestion({});
    QVERIFY(!suggestion->isVisible());
    QVERIFY(leads(goBack));
    // Nothing to proceed to: the button is not offered.
    m_view->setCanProceed(false);
    QVERIFY(!button("warningProceedButton")->isVisible());
}

void TestSafeGuardWarningView::followsADarkPalette()
{
    m_view->setBlockedUrl(QUrl(u"http://scam-shop.top/"_s));
    m_view->setPalette(darkTestPalette());
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
    // The box takes the dark control colour and its texts stay light on it.
    QTRY_VERIFY(closeTo(box->grab().toImage().pixelColor(box->width() - 8, box->height() / 2),
                        QColor(30, 30, 30)));
    QVERIFY(pixelsWhere(label("warningAddress")->grab().toImage(),
                        [](const QColor &pixel) { return pixel.lightness() > 180; })
            > 10);
}

QTEST_MAIN(TestSafeGuardWarningView)
#include "tst_safeguardwarningview.moc"
