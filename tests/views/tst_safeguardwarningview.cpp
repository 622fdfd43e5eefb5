// What the user is told about the page shown: its address and badge in the
// toolbar, the caution bar above it, the warning in its place.
#include "views/warning/SafeGuardWarningView.h"

#include "safety/SafetyLevel.h"
#include "support/TestPalette.h"
#include "support/TestStores.h"
#include "views/browser/AddressView.h"
#include "views/warning/CautionBarView.h"
#include "views/warning/ShopBadgeView.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

class TestSafeGuardWarningView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestStores>();
        m_view = std::make_unique<SafeGuardWarningView>(m_env->themeManager);
        m_view->resize(900, 640);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup()
    {
        m_view.reset();
        m_env.reset();
    }

    void everyReasonShowsWholeOnTheWarningAndTheCautionBar();
    void addressElidesInTheMiddleOrShowsUnknownReadably();
    void oneButtonLeadsAndEachAsksOnce();
    void badgeShowsEachVerdict_data();
    void badgeShowsEachVerdict();
    void addressShowsWhereThePageIs_data();
    void addressShowsWhereThePageIs();

private:
    template<typename T = QLabel> T *child(const QString &name) const
    {
        return m_view->findChild<T *>(name);
    }

    std::unique_ptr<TestStores> m_env;
    std::unique_ptr<SafeGuardWarningView> m_view;
};

void TestSafeGuardWarningView::everyReasonShowsWholeOnTheWarningAndTheCautionBar()
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
    QTRY_VERIFY(rows.last()->mapTo(m_view.get(), QPoint(0, rows.last()->height())).y()
                <= m_view->height());

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
    QTRY_VERIFY(labels.first()->height() >= 2 * labels.first()->fontMetrics().lineSpacing());
    QVERIFY(labels.last()->mapTo(bar, QPoint(0, labels.last()->height())).y() <= bar->height());

    QSignalSpy dismissed(bar, &CautionBarView::dismissRequested);
    QTest::mouseClick(bar->findChild<QToolButton *>(u"cautionCloseButton"_s), Qt::LeftButton);
    QCOMPARE(dismissed.count(), 1);
}

void TestSafeGuardWarningView::addressElidesInTheMiddleOrShowsUnknownReadably()
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

    // On a dark palette the box is dark and the address light.
    m_view->setPalette(darkTestPalette());
    auto *box = child<QFrame>(u"warningDetailBox"_s);
    QTRY_VERIFY(closeTo(box->grab().toImage().pixelColor(box->width() - 8, box->height() / 2),
                        QColor(30, 30, 30)));
    const QImage text = address->grab().toImage();
    int light = 0;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            light += text.pixelColor(x, y).lightness() > 180 ? 1 : 0;
    QVERIFY(light > 10);
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

    QSignalSpy opened(m_view.get(), &SafeGuardWarningView::suggestionRequested);
    QSignalSpy wentBack(m_view.get(), &SafeGuardWarningView::goBackRequested);
    QSignalSpy proceeded(m_view.get(), &SafeGuardWarningView::proceedAnywayRequested);
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

void TestSafeGuardWarningView::badgeShowsEachVerdict_data()
{
    QTest::addColumn<SafetyLevel>("level");
    QTest::addColumn<bool>("proceeded");
    QTest::addColumn<bool>("insecure");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");

    const QString shop = u"ヨドバシ・ドット・コム"_s;
    QTest::newRow("trusted") << SafetyLevel::trusted(shop) << false << false << shop
                             << u"公認正規店"_s;
    const SafetyLevel suspicious = SafetyLevel::suspicious({u"悪質詐欺通販サイトで多発するTLD"_s});
    QTest::newRow("suspicious") << suspicious << false << false << u"危険サイト・詐欺疑い"_s
                                << u"ブロック"_s;
    // Shown because the user went past the warning: not "blocked".
    QTest::newRow("suspicious, proceeded")
        << suspicious << true << false << u"危険サイト・詐欺疑い"_s << u"警告を無視して表示中"_s;
    // The right shop over plain http: never the green "公認正規店".
    QTest::newRow("trusted over http")
        << SafetyLevel::trusted(shop) << false << true << shop << u"公認店・保護されていない通信"_s;
    QTest::newRow("caution") << SafetyLevel::caution({u"公認ショップではありません"_s}) << false
                             << false << u"注意"_s << QString();
    QTest::newRow("neutral") << SafetyLevel::neutral(u"www.example.com"_s) << false << false
                             << u"www.example.com"_s << QString();
}

void TestSafeGuardWarningView::badgeShowsEachVerdict()
{
    QFETCH(SafetyLevel, level);
    QFETCH(bool, proceeded);
    QFETCH(bool, insecure);
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

    auto *textLabel = badge.findChild<QLabel *>(u"badgeText"_s);
    QCOMPARE(textLabel->text(), text);
    // Whole text shown, nothing clipped.
    QVERIFY(textLabel->width() >= textLabel->fontMetrics().horizontalAdvance(text));
    auto *tagLabel = badge.findChild<QLabel *>(u"badgeTag"_s);
    QCOMPARE(tagLabel->isVisible() ? tagLabel->text() : QString(), tag);
    // The reasons are the warning's to tell; the badge stays short.
    for (const QLabel *label : badge.findChildren<QLabel *>()) {
        for (const QString &reason : level.reasons())
            QVERIFY(!label->text().contains(reason) && !label->toolTip().contains(reason));
    }
}

void TestSafeGuardWarningView::addressShowsWhereThePageIs_data()
{
    QTest::addColumn<QUrl>("address");
    QTest::addColumn<QString>("shown"); // "…" stands for what is cut to fit
    QTest::addColumn<QString>("host"); // emphasised
    QTest::addColumn<bool>("lock");
    QTest::addColumn<bool>("insecure");

    QTest::newRow("https") << QUrl(u"https://www.amazon.co.jp/dp/B0?th=1"_s)
                           << u"https://www.amazon.co.jp/dp/B0?th=1"_s << u"www.amazon.co.jp"_s
                           << true << false;
    // A Cyrillic "а" looks like the shop's name; its punycode does not.
    QTest::newRow("look-alike host")
        << QUrl(u"https://r\u0430kuten.co.jp/"_s) << u"https://xn--rkuten-3nf.co.jp/"_s
        << u"xn--rkuten-3nf.co.jp"_s << true << false;
    // The user part is how "amazon.co.jp@evil" deceives: it is not shown.
    QTest::newRow("user part") << QUrl(u"http://amazon.co.jp@evil.example/<b>x</b>"_s)
                               << u"http://evil.example/%3Cb%3Ex%3C/b%3E"_s << u"evil.example"_s
                               << true << true;
    QTest::newRow("no host") << QUrl(u"data:text/html,hi"_s) << u"data:text/html,hi"_s << QString()
                             << false << false;
    QTest::newRow("refused by QUrl") << QUrl(u"http://scam.top../pay"_s)
                                     << u"http://scam.top../pay"_s << QString() << true << true;
    // Reversed by a direction mark, the path would read as another site.
    QTest::newRow("direction mark")
        << QUrl(u"http://shop.example.jp/%E2%80%AEmoc.nozama"_s)
        << u"http://shop.example.jp/%E2%80%AEmoc.nozama"_s << u"shop.example.jp"_s << true << true;
    QTest::newRow("long path") << QUrl(u"https://a.example.jp/"_s + QString(200, u'x'))
                               << u"https://a.example.jp/xx…"_s << u"a.example.jp"_s << true
                               << false;
    // A long host loses its start, never the registrable name at its end.
    QTest::newRow("long host") << QUrl(u"http://"_s + u"official-store."_s.repeated(12)
                                       + u"x.example.jp/pay"_s)
                               << u"http://…store.x.example.jp"_s << QString() << true << true;
}

void TestSafeGuardWarningView::addressShowsWhereThePageIs()
{
    QFETCH(QUrl, address);
    QFETCH(QString, shown);
    QFETCH(QString, host);
    QFETCH(bool, lock);
    QFETCH(bool, insecure);

    AddressView view;
    view.setAddress(address);
    view.show();
    const auto *text = view.findChild<QLabel *>(u"addressText"_s);
    if (const qsizetype cut = shown.indexOf(u'…'); cut >= 0) {
        QVERIFY2(view.shownText().startsWith(shown.left(cut))
                     && view.shownText().endsWith(shown.mid(cut + 1))
                     && view.shownText().contains(u'…'),
                 qPrintable(view.shownText()));
        QCOMPARE_LE(text->sizeHint().width(), text->width());
    } else {
        QCOMPARE(view.shownText(), shown);
    }
    if (!host.isEmpty())
        QVERIFY(text->text().contains(u"font-weight:600\">"_s + host + u"</span>"_s));
    QVERIFY(!text->text().contains(u"<b>"_s));
    QCOMPARE(view.findChild<QLabel *>(u"addressLock"_s)->isVisible(), lock);
    QCOMPARE(view.findChild<QLabel *>(u"addressInsecure"_s)->isVisible(), insecure);
    // Under a certificate not trusted, https reads as http does.
    view.setAddress(address, true);
    QCOMPARE(view.findChild<QLabel *>(u"addressInsecure"_s)->isVisible(),
             insecure || address.scheme() == u"https"_s);
}

QTEST_MAIN(TestSafeGuardWarningView)
#include "tst_safeguardwarningview.moc"
