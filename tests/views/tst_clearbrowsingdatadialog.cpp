#include "views/history/ClearBrowsingDataDialog.h"

#include "history/HistoryStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

class TestClearBrowsingDataDialog : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    }

private Q_SLOTS:
    void historyGoesForThePeriodChosen_data();
    void historyGoesForThePeriodChosen();

private:
    QTemporaryDir m_dir;
    // Off the record: nothing of the engine's lands in the test's folders.
    QWebEngineProfile m_profile;
};

void TestClearBrowsingDataDialog::historyGoesForThePeriodChosen_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("hour") << u"過去1時間"_s << QStringList({u"30d"_s, u"2d"_s, u"3h"_s});
    QTest::newRow("week") << u"過去7日間"_s << QStringList({u"30d"_s});
    QTest::newRow("all") << u"全期間"_s << QStringList();
}

void TestClearBrowsingDataDialog::historyGoesForThePeriodChosen()
{
    QFETCH(QString, range);
    QFETCH(QStringList, kept);

    HistoryStore store(m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".sqlite"_s));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<std::pair<QString, qint64>> ages {
        {u"30d"_s, 30 * 86400},
        {u"2d"_s, 2 * 86400},
        {u"3h"_s, 3 * 3600},
        {u"10m"_s, 600},
        // Stamped ahead of now: the clock was set back since.
        {u"ahead"_s, -3600}};
    for (const auto &[title, age] : ages)
        store.recordVisit(QUrl(u"https://shop.example/"_s + title), title, u"neutral"_s,
                          now.addSecs(-age));

    ClearBrowsingDataDialog dialog(m_profile, store, m_dir.path());
    dialog.show();
    QVERIFY(!dialog.cookiesBox()->isChecked());
    dialog.rangeBox()->setCurrentText(range);
    QTest::mouseClick(dialog.clearButton(), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    // Oldest first, as recorded.
    QStringList titles;
    for (const HistoryVisit &visit : store.visits(QString(), 100))
        titles.prepend(visit.title);
    QCOMPARE(titles, kept);
}

QTEST_MAIN(TestClearBrowsingDataDialog)
#include "tst_clearbrowsingdatadialog.moc"
