#include "views/warning/ShopBadgeView.h"

#include "safety/SafetyLevel.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// True when some pixel of the image has the colour: text is antialiased, but
// the cores of its strokes carry the pen colour exactly.
bool showsColour(const QImage &image, QColor colour, const QColor &background, int tolerance = 8)
{
    // A translucent pen shows as its blend with what is beneath it.
    if (colour.alphaF() < 1) {
        const qreal a = colour.alphaF();
        colour = QColor::fromRgbF(colour.redF() * a + background.redF() * (1 - a),
                                  colour.greenF() * a + background.greenF() * (1 - a),
                                  colour.blueF() * a + background.blueF() * (1 - a));
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qAbs(pixel.red() - colour.red()) <= tolerance
                && qAbs(pixel.green() - colour.green()) <= tolerance
                && qAbs(pixel.blue() - colour.blue()) <= tolerance)
                return true;
        }
    }
    return false;
}

} // namespace

class TestShopBadgeView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsEachVerdict_data();
    void showsEachVerdict();
    void startsAsNewTabAndNeverShowsTheReasons();
};

void TestShopBadgeView::showsEachVerdict_data()
{
    QTest::addColumn<SafetyLevel>("level");
    QTest::addColumn<bool>("proceeded");
    QTest::addColumn<bool>("insecure");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QColor>("tagColour");

    QTest::newRow("trusted") << SafetyLevel::trusted(u"ヨドバシ・ドット・コム"_s) << false << false
                             << u"checkmark.seal.fill"_s << u"ヨドバシ・ドット・コム"_s
                             << int(QFont::Bold) << u"公認正規店"_s << ViewStyle::green();
    const SafetyLevel suspicious = SafetyLevel::suspicious({u"悪質詐欺通販サイトで多発するTLD"_s});
    QTest::newRow("suspicious") << suspicious << false << false
                                << u"exclamationmark.triangle.fill"_s << u"危険サイト・詐欺疑い"_s
                                << int(QFont::Bold) << u"ブロック"_s << ViewStyle::red();
    // Shown because the user went past the warning: not "blocked".
    QTest::newRow("suspicious, proceeded")
        << suspicious << true << false << u"exclamationmark.triangle.fill"_s
        << u"危険サイト・詐欺疑い"_s << int(QFont::Bold) << u"警告を無視して表示中"_s
        << ViewStyle::red();
    // The right shop over plain http: never the green "公認正規店".
    QTest::newRow("trusted over http")
        << SafetyLevel::trusted(u"ヨドバシ・ドット・コム"_s) << false << true << u"lock.open.fill"_s
        << u"ヨドバシ・ドット・コム"_s << int(QFont::Bold) << u"公認店・保護されていない通信"_s
        << ViewStyle::orange();
    QTest::newRow("caution") << SafetyLevel::caution({u"公認ショップではありません"_s}) << false
                             << false << u"exclamationmark.triangle.fill"_s << u"注意"_s
                             << int(QFont::Bold) << QString() << QColor();
    QTest::newRow("neutral") << SafetyLevel::neutral(u"www.example.com"_s) << false << false
                             << u"globe"_s << u"www.example.com"_s << int(QFont::Medium)
                             << QString() << QColor();
}

void TestShopBadgeView::showsEachVerdict()
{
    QFETCH(SafetyLevel, level);
    QFETCH(bool, proceeded);
    QFETCH(bool, insecure);
    QFETCH(QString, symbol);
    QFETCH(QString, text);
    QFETCH(int, weight);
    QFETCH(QString, tag);
    QFETCH(QColor, tagColour);

    ShopBadgeView badge;
    // Start from another verdict so that every part has to change.
    badge.setSafetyLevel(level.isTrusted() ? SafetyLevel::suspicious({u"x"_s})
                                           : SafetyLevel::trusted(u"楽天市場"_s));
    badge.setSafetyLevel(level);
    badge.setProceeded(proceeded);
    badge.setInsecure(insecure);
    badge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&badge));

    auto *symbolLabel = badge.findChild<QLabel *>(u"badgeSymbol"_s);
    auto *textLabel = badge.findChild<QLabel *>(u"badgeText"_s);
    auto *tagLabel = badge.findChild<QLabel *>(u"badgeTag"_s);
    QVERIFY(symbolLabel && textLabel && tagLabel);

    const QColor symbolColour = insecure ? ViewStyle::orange()
        : level.isTrusted()              ? ViewStyle::green()
        : level.isSuspicious()           ? ViewStyle::red()
        : level.isCaution()              ? ViewStyle::orange()
                                         : ViewStyle::secondaryText(&badge);
    QCOMPARE(symbolLabel->pixmap().toImage(),
             SymbolIcon::pixmap(symbol, symbolColour, 13, badge.devicePixelRatioF() * 2).toImage());

    QCOMPARE(textLabel->text(), text);
    QCOMPARE(int(textLabel->font().weight()), weight);
    // The shop's name in the primary colour, the warning in red, the caution
    // in amber, a host dimmed.
    const QColor textColour = level.isTrusted() ? badge.palette().color(QPalette::WindowText)
        : level.isSuspicious()                  ? ViewStyle::red()
        : level.isCaution()                     ? ViewStyle::orange()
                                                : ViewStyle::secondaryText(&badge);
    QVERIFY(showsColour(textLabel->grab().toImage(), textColour,
                        badge.palette().color(QPalette::Window)));
    // Whole text shown, nothing clipped.
    QVERIFY(textLabel->width() >= textLabel->fontMetrics().horizontalAdvance(text));

    QCOMPARE(tagLabel->isVisible(), !tag.isEmpty());
    if (!tag.isEmpty()) {
        QCOMPARE(tagLabel->text(), tag);
        QVERIFY(showsColour(tagLabel->grab().toImage(), tagColour, QColor()));
    }
}

void TestShopBadgeView::startsAsNewTabAndNeverShowsTheReasons()
{
    ShopBadgeView badge;
    QCOMPARE(badge.findChild<QLabel *>(u"badgeText"_s)->text(), u"新規タブ"_s);
    QVERIFY(badge.findChild<QLabel *>(u"badgeTag"_s)->isHidden());

    badge.setSafetyLevel(SafetyLevel::suspicious({u"REASON-ONE"_s, u"REASON-TWO"_s}));
    for (const QLabel *label : badge.findChildren<QLabel *>()) {
        QVERIFY(!label->text().contains(u"REASON"_s));
        QVERIFY(!label->toolTip().contains(u"REASON"_s));
    }
}

QTEST_MAIN(TestShopBadgeView)
#include "tst_shopbadgeview.moc"
