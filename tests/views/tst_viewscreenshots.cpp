// Renders the bookmarks list, every settings tab and both add sheets at a
// realistic window size and checks that no text is cut short. It runs only
// when asked for (scripts/test.sh -L screenshots). With VELMORA_SCREENSHOT_DIR
// set, it also saves each picture there as PNG:
//   VELMORA_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=offscreen
//       build/tests/views/tst_viewscreenshots
#include "support/TestPalette.h"
#include "support/TestStores.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/common/ElidedLabel.h"
#include "views/common/RuleListView.h"
#include "views/settings/AddRuleSheet.h"
#include "views/settings/SettingsView.h"
#include "views/settings/ThemeCard.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Saves the picture when asked to, and fails for text that does not fit.
void capture(QWidget *widget, const QString &name)
{
    QVERIFY(QTest::qWaitForWindowExposed(widget->window()));
    QCoreApplication::processEvents();
    const QPixmap picture = widget->grab();
    for (QWidget *child : widget->findChildren<QWidget *>()) {
        QString text;
        QSize needed;
        if (auto *card = qobject_cast<ThemeCard *>(child)) {
            // Theme names wrap inside their cards; the card must grow to hold them.
            text = card->text();
            needed = {0, card->heightForWidth(card->width())};
        } else if (auto *button = qobject_cast<QAbstractButton *>(child)) {
            text = button->text();
            needed = {button->fontMetrics().horizontalAdvance(text), 0};
        } else if (auto *field = qobject_cast<QLineEdit *>(child)) {
            // A placeholder is the only hint of what a field wants: it must
            // show whole, past about 8 pixels of frame and margins.
            text = field->placeholderText();
            needed = {field->fontMetrics().horizontalAdvance(text) + 8, 0};
        } else if (auto *label = qobject_cast<QLabel *>(child)) {
            // Word-wrapping and eliding labels cope with any width.
            if (!label->wordWrap() && !qobject_cast<ElidedLabel *>(label)) {
                text = label->text();
                needed = label->minimumSizeHint();
            }
        }
        const QSize has = child->size();
        QVERIFY2(!child->isVisible() || text.isEmpty()
                     || (has.width() >= needed.width() && has.height() >= needed.height()),
                 qPrintable(QString::asprintf("%s: \"%s\" is %dx%d, needs %dx%d", qPrintable(name),
                                              qPrintable(text), has.width(), has.height(),
                                              needed.width(), needed.height())));
    }

    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(picture.save(QDir(folder).filePath(name + u".png"_s)));
    }
}

} // namespace

class TestViewScreenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bookmarks();
    void settingsTabs_data();
    void settingsTabs();
};

void TestViewScreenshots::bookmarks()
{
    TestStores env;
    BookmarksView view(env.bookmarkStore, env.themeManager);
    view.resize(900, 620);
    view.show();
    capture(&view, u"bookmarks-empty"_s);

    BookmarkStore &store = env.bookmarkStore;
    store.addBookmark(u"Apple MacBook Air 13インチ M3チップ搭載モデル"_s,
                      u"https://www.amazon.co.jp/dp/B0CX23V2ZK"_s, u"Amazon.co.jp"_s, {});
    store.addBookmark(u"ワイヤレスノイズキャンセリングヘッドホン WH-1000XM5"_s,
                      u"https://www.yodobashi.com/product/100000001007172016/"_s,
                      u"ヨドバシ・ドット・コム"_s, u"ポイント10%還元のセール中に購入を検討"_s);
    store.addBookmark(u"https://example.com/compare/earphones"_s,
                      u"https://example.com/compare/earphones"_s, {}, {});
    store.addBookmark(u"【公式】楽天ブックス 新刊コミック"_s,
                      u"https://books.rakuten.co.jp/event/book/comic/"_s, u"楽天ブックス"_s, {});
    capture(&view, u"bookmarks-list"_s);
}

void TestViewScreenshots::settingsTabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("sheet"); // the tab's add sheet, if it has one
    QTest::addColumn<bool>("dark");
    QTest::newRow("theme") << 0 << QString() << false;
    QTest::newRow("shops") << 1 << u"addShop"_s << false;
    QTest::newRow("patterns") << 2 << u"addPattern"_s << false;
    QTest::newRow("subscriptions") << 3 << u"addSubscription"_s << false;
    QTest::newRow("subscriptions-dark") << 3 << QString() << true;
    QTest::newRow("about") << 4 << QString() << false;
}

void TestViewScreenshots::settingsTabs()
{
    QFETCH(int, tab);
    QFETCH(QString, sheet);
    QFETCH(bool, dark);
    const QString name = u"settings-"_s + QString::fromLatin1(QTest::currentDataTag());

    // One custom row in each list, and one switched off, to show every state.
    TestStores env;
    env.ruleStore.addCustomShop(u"マイショップ"_s, u"my-shop.jp"_s, u"一般"_s,
                                u"https://www.google.co.jp/search?q=site:my-shop.jp+{query}"_s);
    env.ruleStore.toggleShop(env.ruleStore.trustedShops().at(1).id);
    env.ruleStore.addCustomPattern(u"example-shop.top"_s, u"ユーザー指定除外パターン"_s);
    env.ruleStore.togglePattern(env.ruleStore.excludedPatterns().at(2).id);
    // A list read from a file with lines it skipped, and one whose download
    // failed.
    QFile file(env.dir.filePath(u"local-list.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# Title: 地域の詐欺ショップ報告\n*://*.fake-shop.example/*\n"
               "*://*.co.jp/*\nhttps://*zilla.example/\n/unclosed(/\n");
    file.close();
    QVERIFY(env.subscriptionStore.importFile(file.fileName()).succeeded());
    QSignalSpy finished(&env.subscriptionStore, &SubscriptionStore::updateFinished);
    QVERIFY(env.subscriptionStore.add(u"https://127.0.0.1:1/lists/shops.txt"_s).succeeded());
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 20000);

    SettingsView view(env.themeManager, env.ruleStore, env.subscriptionStore);
    if (dark)
        view.setPalette(darkTestPalette());
    view.resize(900, 620);
    view.show();
    view.tabs()->setCurrentIndex(tab);
    if (auto *list = view.tabs()->currentWidget()->findChild<RuleListView *>(u"subscriptionList"_s))
        list->setCurrentIndex(list->model()->index(1, 0));
    capture(&view, name);
    if (auto *list = view.tabs()->currentWidget()->findChild<RuleListView *>()) {
        // The custom row at the end, with its badge and delete button.
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        capture(&view, name + u"-end"_s);
        list->verticalScrollBar()->setValue(0);
    }
    if (!sheet.isEmpty()) {
        QTest::mouseClick(view.findChild<QPushButton *>(sheet + u"Button"_s), Qt::LeftButton);
        auto *dialog = view.findChild<AddRuleSheet *>(sheet + u"Sheet"_s);
        QTRY_VERIFY(dialog->isVisible());
        capture(dialog, u"sheet-add-"_s + sheet.mid(3).toLower());
        dialog->reject();
    }

    // The smallest window must still show its texts whole.
    view.resize(600, 480);
    capture(&view, name + u"-minimum"_s);
}

QTEST_MAIN(TestViewScreenshots)
#include "tst_viewscreenshots.moc"
