// Renders the bookmarks list, every settings tab and both sheets at a
// realistic window size and checks that no label is cut short. With
// VELMORA_SCREENSHOT_DIR set, it also saves each picture there as PNG:
//   VELMORA_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=offscreen
//       build/tests/views/tst_viewscreenshots
#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "support/TestStores.h"
#include "theme/ThemeManager.h"
#include "views/AddPatternSheet.h"
#include "views/AddShopSheet.h"
#include "views/BookmarksView.h"
#include "views/ElidedLabel.h"
#include "views/InsetList.h"
#include "views/SettingsView.h"
#include "views/ThemeCard.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestViewScreenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void bookmarks();
    void settingsTabs_data();
    void settingsTabs();
    void sheets();

private:
    // Saves the picture when asked to, and fails for text that does not fit.
    void capture(QWidget *widget, const QString &name);

    using Environment = TestStores;
    std::unique_ptr<Environment> m_env;
};

void TestViewScreenshots::init()
{
    m_env = std::make_unique<Environment>();
    QVERIFY(m_env->dir.isValid());
}

void TestViewScreenshots::cleanup()
{
    m_env.reset();
}

void TestViewScreenshots::capture(QWidget *widget, const QString &name)
{
    QVERIFY(QTest::qWaitForWindowExposed(widget->window()));
    QCoreApplication::processEvents();
    const QPixmap picture = widget->grab();
    QVERIFY(!picture.isNull());

    // Word-wrapping and eliding labels cope with any width; every other
    // visible label must get the room its text needs.
    for (QLabel *label : widget->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->wordWrap() || qobject_cast<ElidedLabel *>(label)
            || label->text().isEmpty())
            continue;
        const QSize needed = label->minimumSizeHint();
        if (label->width() < needed.width() || label->height() < needed.height())
            QFAIL(qPrintable(u"%1: \"%2\" is %3x%4, needs %5x%6"_s.arg(name, label->text())
                                 .arg(label->width())
                                 .arg(label->height())
                                 .arg(needed.width())
                                 .arg(needed.height())));
    }
    for (QAbstractButton *button : widget->findChildren<QAbstractButton *>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        const int needed = button->fontMetrics().horizontalAdvance(button->text());
        if (button->width() < needed)
            QFAIL(qPrintable(u"%1: button \"%2\" is cut"_s.arg(name, button->text())));
    }

    // Theme names wrap inside their cards; the card must grow to hold them.
    for (ThemeCard *card : widget->findChildren<ThemeCard *>()) {
        if (card->isVisible() && card->height() < card->heightForWidth(card->width()))
            QFAIL(qPrintable(u"%1: theme card \"%2\" is too low"_s.arg(name, card->text())));
    }

    // A placeholder is the only hint of what a field wants: it must show whole.
    for (QLineEdit *field : widget->findChildren<QLineEdit *>()) {
        if (!field->isVisible() || field->placeholderText().isEmpty())
            continue;
        // Frame and text margins of the line edit take about 8 pixels.
        const int needed = field->fontMetrics().horizontalAdvance(field->placeholderText()) + 8;
        if (field->width() < needed)
            QFAIL(qPrintable(u"%1: placeholder \"%2\" needs %3, has %4"_s.arg(
                name, field->placeholderText(), QString::number(needed),
                QString::number(field->width()))));
    }

    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(picture.save(QDir(folder).filePath(name + u".png"_s)));
    }
}

void TestViewScreenshots::bookmarks()
{
    BookmarkStore store(m_env->preferences);
    BookmarksView view(store, m_env->themeManager);
    view.resize(900, 620);
    view.show();
    capture(&view, u"bookmarks-empty"_s);

    store.addBookmark(u"Apple MacBook Air 13インチ M3チップ搭載モデル"_s,
                      u"https://www.amazon.co.jp/dp/B0CX23V2ZK"_s, u"Amazon.co.jp"_s, QString());
    store.addBookmark(u"ワイヤレスノイズキャンセリングヘッドホン WH-1000XM5"_s,
                      u"https://www.yodobashi.com/product/100000001007172016/"_s,
                      u"ヨドバシ・ドット・コム"_s, u"ポイント10%還元のセール中に購入を検討"_s);
    store.addBookmark(u"https://example.com/compare/earphones"_s,
                      u"https://example.com/compare/earphones"_s, QString(), QString());
    store.addBookmark(u"【公式】楽天ブックス 新刊コミック"_s,
                      u"https://books.rakuten.co.jp/event/book/comic/"_s, u"楽天ブックス"_s,
                      QString());
    capture(&view, u"bookmarks-list"_s);
}

void TestViewScreenshots::settingsTabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("name");
    QTest::newRow("theme") << 0 << u"settings-theme"_s;
    QTest::newRow("shops") << 1 << u"settings-shops"_s;
    QTest::newRow("patterns") << 2 << u"settings-patterns"_s;
    QTest::newRow("about") << 3 << u"settings-about"_s;
}

void TestViewScreenshots::settingsTabs()
{
    QFETCH(int, tab);
    QFETCH(QString, name);

    // One custom row in each list, and one switched off, to show every state.
    m_env->ruleStore.addCustomShop(u"マイショップ"_s, u"my-shop.jp"_s, u"一般"_s,
                                   u"https://www.google.co.jp/search?q=site:my-shop.jp+{query}"_s);
    m_env->ruleStore.toggleShop(m_env->ruleStore.trustedShops().at(1).id);
    m_env->ruleStore.addCustomPattern(u"example-shop.top"_s, u"ユーザー指定除外パターン"_s);
    m_env->ruleStore.togglePattern(m_env->ruleStore.excludedPatterns().at(2).id);

    SettingsView view(m_env->themeManager, m_env->ruleStore);
    view.resize(900, 620);
    view.show();
    view.tabs()->setCurrentIndex(tab);
    capture(&view, name);
    if (auto *list = view.tabs()->currentWidget()->findChild<InsetList *>()) {
        // The custom row at the end, with its badge and delete button.
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        capture(&view, name + u"-end"_s);
        list->verticalScrollBar()->setValue(0);
    }

    // The smallest window must still show its texts whole.
    view.resize(600, 480);
    capture(&view, name + u"-minimum"_s);
}

void TestViewScreenshots::sheets()
{
    SettingsView view(m_env->themeManager, m_env->ruleStore);
    view.resize(900, 620);
    view.show();

    view.tabs()->setCurrentIndex(1);
    QTest::mouseClick(view.findChild<QPushButton *>(u"addShopButton"_s), Qt::LeftButton);
    auto *shopSheet = view.findChild<AddShopSheet *>();
    QVERIFY(shopSheet);
    QTRY_VERIFY(shopSheet->isVisible());
    capture(shopSheet, u"sheet-add-shop"_s);
    shopSheet->reject();

    view.tabs()->setCurrentIndex(2);
    QTest::mouseClick(view.findChild<QPushButton *>(u"addPatternButton"_s), Qt::LeftButton);
    auto *patternSheet = view.findChild<AddPatternSheet *>();
    QVERIFY(patternSheet);
    QTRY_VERIFY(patternSheet->isVisible());
    capture(patternSheet, u"sheet-add-pattern"_s);
    patternSheet->reject();
}

QTEST_MAIN(TestViewScreenshots)
#include "tst_viewscreenshots.moc"
