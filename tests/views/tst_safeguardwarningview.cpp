#include "views/warning/SafeGuardWarningView.h"

#include "prefs/SettingsPreferencesStore.h"
#include "support/TestPalette.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

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

    void showsTheFixedTexts();
    void listsEveryReasonInOrderWrappedWithoutScrolling();
    void middleElidesALongAddressOrShowsUnknown();
    void goBackButtonFollowsTheThemeWarningStaysRed();
    void eachButtonAsksOnce();
    void didYouMeanIsThePrimaryWayOut();
    void followsADarkPalette();

private:
    QStringList reasonTexts() const;
    QLabel *label(const char *name) const;
    QPushButton *button(const char *name) const;

    struct Environment
    {
        QTemporaryDir dir;
        SettingsPreferencesStore preferences {dir.filePath(u"prefs.ini"_s)};
        ThemeManager themeManager {preferences};
    };
    std::unique_ptr<Environment> m_env;
    std::unique_ptr<SafeGuardWarningView> m_view;
};

void TestSafeGuardWarningView::init()
{
    m_env = std::make_unique<Environment>();
    QVERIFY(m_env->dir.isValid());
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

void TestSafeGuardWarningView::showsTheFixedTexts()
{
    QLabel *title = label("warningTitle");
    QTextDocument titleDocument;
    titleDocument.setHtml(title->text());
    QCOMPARE(titleDocument.toPlainText(),
             u"⚠️ 詐欺・危険サイトの疑いを検知しました"_s);
    // The sign is the colour emoji (yellow), not a red outline of a text font.
    QVERIFY(pixelsWhere(title->grab().toImage(),
                        [](const QColor &pixel) {
                            return pixel.red() > 200 && pixel.green() > 150 && pixel.blue() < 100;
                        })
            > 0);
    QCOMPARE(label("warningMessage")->text(),
             u"このWebサイトは悪質な通販詐欺、コピー品販売、または不審なTLDドメインの特徴と"
             "一致したため、自動ブロックされました。"_s);
    QCOMPARE(label("warningAddressTitle")->text(), u"対象URL:"_s);
    QCOMPARE(label("warningRisksTitle")->text(), u"検知されたリスク:"_s);
    QCOMPARE(button("warningGoBackButton")->text(), u"安全な前のページへ戻る (推奨)"_s);
    QCOMPARE(button("warningProceedButton")->text(), u"危険を承知でアクセス"_s);
    QVERIFY(label("warningMessage")->width() <= SafeGuardWarningView::maxContentWidth);
    // Nothing cut off at the edges.
    QVERIFY(title->width() >= title->sizeHint().width());
}

void TestSafeGuardWarningView::listsEveryReasonInOrderWrappedWithoutScrolling()
{
    const QStringList three {u"悪質詐欺通販サイトで多発するTLD"_s,
                             u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_s,
                             u"危険なTLD/ドメインパターン (*.shop) に一致"_s};
    m_view->setReasons(three);
    QCOMPARE(reasonTexts(), three);
    QCOMPARE(m_view->findChildren<QLabel *>(u"warningReasonSymbol"_s).size(), 3);

    // A long reason wraps inside the box; the next row comes below all of it.
    const QString longReason = u"非常に長い理由の説明文です。"_s.repeated(12);
    m_view->setReasons({longReason, u"短い理由"_s});
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
    QTRY_COMPARE(box->width(), SafeGuardWarningView::maxContentWidth);
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

    // No reasons: the heading stays, without rows.
    m_view->setReasons({});
    QVERIFY(reasonTexts().isEmpty());
    QVERIFY(label("warningRisksTitle")->isVisible());
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

    m_view->setBlockedUrl(QUrl(u"http://a-b-c-d.example.top/"_s));
    QCOMPARE(address->text(), u"http://a-b-c-d.example.top/"_s);
    m_view->setBlockedUrl(QUrl());
    QCOMPARE(address->text(), u"不明"_s);
    // An address QUrl refused shows as the engine wrote it.
    m_view->setBlockedUrl(QUrl(u"http://scam.top../order"_s));
    QCOMPARE(address->text(), u"http://scam.top../order"_s);
}

void TestSafeGuardWarningView::goBackButtonFollowsTheThemeWarningStaysRed()
{
    m_env->themeManager.setCurrentTheme(AppTheme::emerald);
    QPushButton *goBack = button("warningGoBackButton");
    QVERIFY(closeTo(goBack->grab().toImage().pixelColor(4, goBack->height() / 2),
                    QColor::fromRgbF(0.1f, 0.72f, 0.5f)));
    const QImage icon = label("warningIcon")->grab().toImage();
    const QColor glyph = icon.pixelColor(icon.width() / 2, icon.height() / 2);
    QVERIFY2(glyph.red() > 200 && glyph.green() < 120, qPrintable(glyph.name()));
}

void TestSafeGuardWarningView::eachButtonAsksOnce()
{
    QSignalSpy goBack(m_view.get(), &SafeGuardWarningView::goBackRequested);
    QSignalSpy proceed(m_view.get(), &SafeGuardWarningView::proceedAnywayRequested);
    QTest::mouseClick(button("warningGoBackButton"), Qt::LeftButton);
    QCOMPARE(goBack.count(), 1);
    QCOMPARE(proceed.count(), 0);
    QTest::mouseClick(button("warningProceedButton"), Qt::LeftButton);
    QCOMPARE(goBack.count(), 1);
    QCOMPARE(proceed.count(), 1);
    // Nothing to proceed to: the button is not offered.
    m_view->setCanProceed(false);
    QVERIFY(!button("warningProceedButton")->isVisible());
    QVERIFY(button("warningGoBackButton")->isVisible());
}

void TestSafeGuardWarningView::didYouMeanIsThePrimaryWayOut()
{
    QPushButton *suggestion = button("warningSuggestionButton");
    QPushButton *goBack = button("warningGoBackButton");
    const auto filledWithAccent = [](QPushButton *candidate) {
        return closeTo(candidate->grab().toImage().pixelColor(4, candidate->height() / 2),
                       QColor::fromRgbF(0.98f, 0.38f, 0.58f));
    };
    QVERIFY(!suggestion->isVisible());
    QVERIFY(filledWithAccent(goBack));

    m_view->setSuggestion({u"楽天市場"_s, u"rakuten.co.jp"_s});
    QCOMPARE(suggestion->text(), u"楽天市場 (rakuten.co.jp) を開く"_s);
    QVERIFY(suggestion->isVisible() && goBack->isVisible());
    QTRY_VERIFY(filledWithAccent(suggestion));
    QVERIFY(!filledWithAccent(goBack));
    QSignalSpy opened(m_view.get(), &SafeGuardWarningView::suggestionRequested);
    QTest::mouseClick(suggestion, Qt::LeftButton);
    QCOMPARE(opened.count(), 1);

    // The next block without a look-alike: going back leads again.
    m_view->setSuggestion({});
    QVERIFY(!suggestion->isVisible());
    QVERIFY(filledWithAccent(goBack));
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
