// Opening the history list and searching it with 100,000 visits stored, set
// against reading every visit (what a list without paging would do).
#include "BenchTiming.h"
#include "history/HistoryModel.h"
#include "history/HistoryStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <limits>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    constexpr int visits = 100000;
    constexpr int runs = 11;
    const QStringList hosts {QStringLiteral("www.amazon.co.jp"),
                             QStringLiteral("item.rakuten.co.jp"),
                             QStringLiteral("shopping.yahoo.co.jp"),
                             QStringLiteral("www.yodobashi.com"), QStringLiteral("zozo.jp")};
    const QStringList products {
        QStringLiteral("ノートPC"),         QStringLiteral("ワイヤレスイヤホン"),
        QStringLiteral("炊飯器"),           QStringLiteral("スニーカー"),
        QStringLiteral("コーヒーメーカー"), QStringLiteral("腕時計"),
        QStringLiteral("掃除機"),           QStringLiteral("ゲーム機"),
        QStringLiteral("電子書籍リーダー"), QStringLiteral("加湿器")};

    QTemporaryDir dir;
    HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
    // One visit every five minutes for almost a year, the newest now.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QElapsedTimer fill;
    fill.start();
    for (int i = 0; i < visits; ++i) {
        const QString host = hosts.at(i % hosts.size());
        const QString product = products.at((i / hosts.size()) % products.size());
        store.recordVisit(
            QUrl(QStringLiteral("https://%1/item/%2?k=%3").arg(host).arg(i).arg(product)),
            QStringLiteral("%1 %2 通販 | %3").arg(product).arg(i).arg(host),
            QStringLiteral("trusted"), now.addSecs(-300LL * (visits - 1 - i)));
    }
    out << "visits: " << store.visitCount() << ", recorded in " << fill.elapsed() << " ms ("
        << double(fill.nsecsElapsed()) / 1000.0 / visits << " µs each)\n";

    const auto readEverything = [&](const QString &search) {
        if (store.visits(search, std::numeric_limits<int>::max()).isEmpty() && search.isEmpty())
            qFatal("no visits");
    };
    const double everything = medianMilliseconds(runs, [&] { readEverything(QString()); });
    const double open = medianMilliseconds(runs, [&] {
        HistoryModel model(store);
        // A view shows the newest day opened.
        model.fetchMore(model.index(0, 0));
        if (model.rowCount() == 0 || model.rowCount(model.index(0, 0)) == 0)
            qFatal("empty history list");
    });
    out << "\nopen (target <= 300 ms)\n"
        << "  baseline, every visit read: " << everything << " ms\n"
        << "  HistoryModel, first page:   " << open << " ms (" << everything / open
        << "x faster)\n";

    // Common: a tenth of the visits; rare: one; none: nothing, so the whole
    // table is read through.
    const QList<std::pair<QString, QString>> searches {
        {QStringLiteral("common"), products.first()},
        {QStringLiteral("rare"), QStringLiteral("/item/4242?")},
        {QStringLiteral("none"), QStringLiteral("存在しない")}};
    HistoryModel model(store);
    out << "\nsearch (target <= 100 ms)\n";
    for (const auto &[name, text] : searches) {
        const double baseline = medianMilliseconds(runs, [&] { readEverything(text); });
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            model.setSearchText(QString());
            QElapsedTimer timer;
            timer.start();
            model.setSearchText(text);
            times.push_back(double(timer.nsecsElapsed()) / 1.0e6);
        }
        std::sort(times.begin(), times.end());
        out << "  " << name << " (\"" << text << "\", " << store.visits(text, visits).size()
            << " visits): baseline, every match read: " << baseline
            << " ms; HistoryModel, first page: " << times[times.size() / 2] << " ms\n";
    }
    return 0;
}
