#include "views/SafeGuardWarningView.h"

#include "prefs/SettingsPreferencesStore.h"
#include "support/TestPalette.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"
#include "views/ViewStyle.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString longAddress = u"https://very-long-scam-shop-name.top/"_s + u"category/"_s.repeated(30)
    + u"item-final-page.html?ref=END"_s;

bool closeTo(const QColor &a, const QColor &b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

// The fill of a button, read where a user sees it: left of its label.
QColor fillOf(QWidget *button)
{
    return button->grab().toImage().pixelColor(4, button->height() / 2);
}

} // namespace

class TestSafeGuardWarningView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsTheFixedTexts();
    void listsEveryReasonInOrder();
    void longReasonsWrapInsideTheBox();
    void middleElidesALongAddress();
    void showsUnknownWithoutAddress();
    void goBackButtonFollowsTheTheme();
    void eachButtonAsksOnce();
    void followsADarkPalette();
    void neverScrolls();
    void grabsForReview();

private:
    QStringList reasonTexts() const;
    QLabel *label(const char *name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsPreferencesStore> m_preferences;
    std::unique_ptr<ThemeManager> m_themeManager;
    std::unique_ptr<SafeGuardWarningView> m_view;
};

void TestSafeGuardWarningView::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_preferences = std::make_unique<SettingsPreferencesStore>(m_dir->filePath(u"prefs.ini"_s));
    m_themeManager = std::make_unique<ThemeManager>(*m_preferences);
    m_view = std::make_unique<SafeGuardWarningView>(*m_themeManager);
    m_view->resize(900, 640);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestSafeGuardWarningView::cleanup()
{
    m_view.reset();
    m_themeManager.reset();
    m_preferences.reset();
    m_dir.reset();
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
    auto *found = m_view->findChild<QLabel *>(QLatin1String(name));
    if (!found)
        qFatal("no label %s", name);
    return found;
}

void TestSafeGuardWarningView::showsTheFixedTexts()
{
    QLabel *title = label("warningTitle");
    QTextDocument titleDocument;
    titleDocument.setHtml(title->text());
    QCOMPARE(titleDocument.toPlainText(),
             u"⚠️ 詐欺・危険サイトの疑いを検知しました"_s);
    QCOMPARE(title->accessibleName(),
             u"⚠️ 詐欺・危険サイトの疑いを検知しました"_s);
    // The sign is the colour emoji (yellow), not a red outline of a text font.
    const QImage titleImage = title->grab().toImage();
    bool yellow = false;
    for (int y = 0; y < titleImage.height() && !yellow; ++y) {
        for (int x = 0; x < titleImage.width() && !yellow; ++x) {
            const QColor pixel = titleImage.pixelColor(x, y);
            yellow = pixel.red() > 200 && pixel.green() > 150 && pixel.blue() < 100;
        }
    }
    QVERIFY(yellow);
    QCOMPARE(label("warningMessage")->text(),
             u"このWebサイトは悪質な通販詐欺、コピー品販売、または不審なTLDドメインの特徴と"
             "一致したため、自動ブロックされました。"_s);
    QCOMPARE(label("warningAddressTitle")->text(), u"対象URL:"_s);
    QCOMPARE(label("warningRisksTitle")->text(), u"検知されたリスク:"_s);
    QCOMPARE(m_view->findChild<QPushButton *>(u"warningGoBackButton"_s)->text(),
             u"安全な前のページへ戻る (推奨)"_s);
    QCOMPARE(m_view->findChild<QPushButton *>(u"warningProceedButton"_s)->text(),
             u"危険を承知でアクセス"_s);
    QCOMPARE(label("warningIcon")->size(), QSize(100, 100));
    QVERIFY(label("warningMessage")->width() <= SafeGuardWarningView::maxContentWidth);
    // Every fixed text fits: nothing cut off at the edges.
    QVERIFY(title->width() >= title->sizeHint().width());
    for (const char *name : {"warningAddressTitle", "warningRisksTitle"}) {
        QLabel *text = label(name);
        QVERIFY2(text->width() >= text->fontMetrics().horizontalAdvance(text->text()), name);
    }
}

void TestSafeGuardWarningView::listsEveryReasonInOrder()
{
    const QStringList three {u"悪質詐欺通販サイトで多発するTLD"_s,
                             u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_s,
                             u"危険なTLD/ドメインパターン (*.shop) に一致"_s};
    m_view->setReasons(three);
    QCOMPARE(m_view->reasons(), three);
    QCOMPARE(reasonTexts(), three);
    QCOMPARE(m_view->findChildren<QLabel *>(u"warningReasonSymbol"_s).size(), 3);

    // A new block replaces the list; identical texts still get a row each.
    m_view->setReasons({u"B"_s, u"A"_s, u"A"_s});
    QCOMPARE(reasonTexts(), (QStringList {u"B"_s, u"A"_s, u"A"_s}));

    // No reasons: the heading stays, without rows.
    m_view->setReasons({});
    QVERIFY(reasonTexts().isEmpty());
    QVERIFY(label("warningRisksTitle")->isVisible());
}

void TestSafeGuardWarningView::longReasonsWrapInsideTheBox()
{
    const QString longReason = u"非常に長い理由の説明文です。"_s.repeated(12);
    m_view->setReasons({longReason, u"短い理由"_s});
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
    QTRY_VERIFY(box->width() > 0);
    QCOMPARE(box->width(), SafeGuardWarningView::maxContentWidth);
    const QList<QLabel *> rows = m_view->findChildren<QLabel *>(u"warningReason"_s);
    QCOMPARE(rows.size(), 2);
    QLabel *wrapped = rows.first();
    QTRY_VERIFY(wrapped->height() > 2 * wrapped->fontMetrics().height());
    QVERIFY(wrapped->mapTo(box, QPoint(wrapped->width(), 0)).x() <= box->width());
    // The short row comes below the whole long one.
    QVERIFY(rows.at(1)->mapTo(box, QPoint()).y()
            > wrapped->mapTo(box, QPoint()).y() + wrapped->height());
}

void TestSafeGuardWarningView::middleElidesALongAddress()
{
    m_view->setBlockedUrl(QUrl(longAddress));
    QLabel *address = label("warningAddress");
    QCOMPARE(address->toolTip(), longAddress);
    QTRY_VERIFY(address->text().contains(u'…'));
    const QString shown = address->text();
    QVERIFY2(shown.startsWith(u"https://very-long"_s), qPrintable(shown));
    QVERIFY2(shown.endsWith(u"?ref=END"_s), qPrintable(shown));
    QVERIFY(!shown.contains(u'\n'));
    QVERIFY(address->fontMetrics().horizontalAdvance(shown) <= address->width());
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
    QVERIFY(box->width() <= SafeGuardWarningView::maxContentWidth);
    QVERIFY(address->mapTo(box, QPoint(address->width(), 0)).x() <= box->width());

    // A narrower pane elides more, and still keeps both ends.
    m_view->resize(420, 640);
    QTRY_VERIFY(address->text().size() < shown.size());
    QVERIFY(address->text().startsWith(u"https://"_s));
    QVERIFY(address->text().endsWith(u"END"_s));
    QVERIFY(address->fontMetrics().horizontalAdvance(address->text()) <= address->width());

    // A short address is shown whole.
    m_view->setBlockedUrl(QUrl(u"http://a-b-c-d.example.top/"_s));
    QCOMPARE(address->text(), u"http://a-b-c-d.example.top/"_s);
}

void TestSafeGuardWarningView::showsUnknownWithoutAddress()
{
    m_view->setBlockedUrl(QUrl(u"http://scam-shop.top/"_s));
    QCOMPARE(label("warningAddress")->text(), u"http://scam-shop.top/"_s);
    m_view->setBlockedUrl(QUrl());
    QCOMPARE(label("warningAddress")->text(), u"不明"_s);
}

void TestSafeGuardWarningView::goBackButtonFollowsTheTheme()
{
    auto *goBack = m_view->findChild<QPushButton *>(u"warningGoBackButton"_s);
    QVERIFY(closeTo(fillOf(goBack), QColor::fromRgbF(0.98f, 0.38f, 0.58f)));

    m_themeManager->setCurrentTheme(AppTheme::emerald);
    QVERIFY(closeTo(fillOf(goBack), QColor::fromRgbF(0.1f, 0.72f, 0.5f)));
    // The warning itself stays red.
    const QImage icon = label("warningIcon")->grab().toImage();
    const QColor glyph = icon.pixelColor(icon.width() / 2, icon.height() / 2);
    QVERIFY2(glyph.red() > 200 && glyph.green() < 120, qPrintable(glyph.name()));

    // The proceed button has no fill of its own.
    auto *proceed = m_view->findChild<QPushButton *>(u"warningProceedButton"_s);
    const QImage area = m_view
                            ->grab(proceed->geometry().translated(
                                proceed->parentWidget()->mapTo(m_view.get(), QPoint())))
                            .toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x)
            ++counts[area.pixel(x, y)];
    }
    const QRgb mostCommon = std::max_element(counts.cbegin(), counts.cend()).key();
    QVERIFY(closeTo(QColor(mostCommon), m_view->palette().color(QPalette::Window)));
}

void TestSafeGuardWarningView::eachButtonAsksOnce()
{
    QSignalSpy goBack(m_view.get(), &SafeGuardWarningView::goBackRequested);
    QSignalSpy proceed(m_view.get(), &SafeGuardWarningView::proceedAnywayRequested);

    QTest::mouseClick(m_view->findChild<QPushButton *>(u"warningGoBackButton"_s), Qt::LeftButton);
    QCOMPARE(goBack.count(), 1);
    QCOMPARE(proceed.count(), 0);

    QTest::mouseClick(m_view->findChild<QPushButton *>(u"warningProceedButton"_s), Qt::LeftButton);
    QCOMPARE(goBack.count(), 1);
    QCOMPARE(proceed.count(), 1);
}

void TestSafeGuardWarningView::followsADarkPalette()
{
    m_view->setBlockedUrl(QUrl(u"http://scam-shop.top/"_s));
    m_view->setReasons({u"悪質詐欺通販サイトで多発するTLD"_s});
    m_view->setPalette(darkTestPalette());
    auto *box = m_view->findChild<QFrame *>(u"warningDetailBox"_s);
    // The box takes the dark control colour and its texts stay light on it.
    QTRY_VERIFY(closeTo(box->grab().toImage().pixelColor(box->width() - 8, box->height() / 2),
                        QColor(30, 30, 30)));
    const QImage address = label("warningAddress")->grab().toImage();
    int lightPixels = 0;
    for (int y = 0; y < address.height(); ++y) {
        for (int x = 0; x < address.width(); ++x)
            lightPixels += address.pixelColor(x, y).lightness() > 180 ? 1 : 0;
    }
    QVERIFY(lightPixels > 10);
}

void TestSafeGuardWarningView::neverScrolls()
{
    QStringList many;
    for (int index = 1; index <= 25; ++index)
        many.append(u"理由 %1"_s.arg(index));
    m_view->setReasons(many);
    QVERIFY(m_view->findChildren<QAbstractScrollArea *>().isEmpty());
    QCOMPARE(reasonTexts(), many);
    // Every row is laid out: the pane asks for the room all of them need.
    m_view->resize(900, m_view->minimumSizeHint().height());
    const QList<QLabel *> rows = m_view->findChildren<QLabel *>(u"warningReason"_s);
    QTRY_VERIFY(rows.last()->mapTo(m_view.get(), QPoint(0, rows.last()->height())).y()
                <= m_view->height());
    for (const QLabel *row : rows)
        QVERIFY(row->isVisible() && row->height() > 0);
}

// Saves pictures for a person to look at when VELMORA_GRAB_DIR is set.
void TestSafeGuardWarningView::grabsForReview()
{
    const QString folder = qEnvironmentVariable("VELMORA_GRAB_DIR");
    if (folder.isEmpty())
        QSKIP("VELMORA_GRAB_DIR not set");
    m_view->setBlockedUrl(QUrl(longAddress));
    m_view->setReasons({u"悪質詐欺通販サイトで多発するTLD"_s,
                        u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_s,
                        u"非常に長い理由の説明文です。"_s.repeated(8)});
    QTest::qWait(50);
    QVERIFY(m_view->grab().save(folder + u"/warning-default.png"_s));
    m_themeManager->setCurrentTheme(AppTheme::emerald);
    m_view->setBlockedUrl(QUrl());
    m_view->setReasons({});
    m_view->resize(560, 600);
    QTest::qWait(50);
    QVERIFY(m_view->grab().save(folder + u"/warning-emerald-narrow.png"_s));
    m_themeManager->setCurrentTheme(AppTheme::cyberPurple);
    m_view->setBlockedUrl(QUrl(u"http://a-b-c-d.example.top/"_s));
    m_view->setReasons({u"悪質詐欺通販サイトで多発するTLD"_s});
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkTestPalette());
    QTest::qWait(50);
    QVERIFY(m_view->grab().save(folder + u"/warning-dark.png"_s));
    QApplication::setPalette(light);
}

QTEST_MAIN(TestSafeGuardWarningView)
#include "tst_safeguardwarningview.moc"
