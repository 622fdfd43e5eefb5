// Load and save of 10,000-row rule lists through the real preferences store.
#include "BenchTiming.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    if (argc == 3 && qstrcmp(argv[1], "--cold-load") == 0) {
        // A fresh process: the settings file is read and parsed from disk.
        QElapsedTimer timer;
        timer.start();
        SettingsPreferencesStore preferences(QString::fromLocal8Bit(argv[2]));
        SecurityRuleStore store(preferences);
        out << double(timer.nsecsElapsed()) / 1.0e6 << "\n";
        return store.trustedShops().isEmpty() ? 1 : 0;
    }
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(2);
    constexpr int rows = 10000;
    constexpr int runs = 21;

    QList<TrustedShop> shops;
    QList<ExcludedPattern> patterns;
    for (int i = 0; i < rows; ++i) {
        shops.append(TrustedShop::create(
            u"ショップ %1"_s.arg(i), u"shop%1.example.co.jp"_s.arg(i), u"家電・PC"_s,
            u"https://www.shop%1.example.co.jp/search?q={query}"_s.arg(i), i % 5 != 0, true));
        patterns.append(ExcludedPattern::create(
            u"*.bad%1"_s.arg(i), u"不審な通販サイトで悪用されるTLD %1"_s.arg(i), i % 7 != 0, true));
    }

    out << "rows per list: " << rows << "\n";
    out << "JSON encode of the shop list only: " << medianMilliseconds(runs, [&] {
        QJsonArray array;
        for (const TrustedShop &shop : shops)
            array.append(shop.toJson());
        (void)QJsonDocument(array).toJson(QJsonDocument::Compact);
    }) << " ms\n";

    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.ini"_s);
    SettingsPreferencesStore preferences(path);
    SecurityRuleStore store(preferences);
    store.setTrustedShops(shops);
    store.setExcludedPatterns(patterns);

    out << "saveTrustedShops (encode + write + sync): "
        << medianMilliseconds(runs, [&] { store.saveTrustedShops(); }) << " ms\n";
    out << "saveExcludedPatterns (encode + write + sync): "
        << medianMilliseconds(runs, [&] { store.saveExcludedPatterns(); }) << " ms\n";
    out << "stored bytes: shops " << preferences.data(u"velmora_trusted_shops_v1"_s)->size()
        << ", patterns " << preferences.data(u"velmora_excluded_patterns_v1"_s)->size()
        << ", settings file " << QFileInfo(path).size() << "\n";

    out << "loadSettings (both lists decoded, same store): "
        << medianMilliseconds(runs, [&] { store.loadSettings(); }) << " ms\n";
    if (store.trustedShops() != shops || store.excludedPatterns() != patterns)
        out << "ERROR: lists did not round-trip\n";

    // A second store instance on the same file: what a restart costs after
    // the settings file has been read once in this process.
    out << "construction of a new preferences store + rule store: "
        << medianMilliseconds(runs,
                              [&] {
                                  SettingsPreferencesStore fresh(path);
                                  SecurityRuleStore loaded(fresh);
                                  if (loaded.trustedShops().size() != rows)
                                      out << "ERROR: short load\n";
                              })
        << " ms\n";
    std::vector<double> cold;
    for (int i = 0; i < 7; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--cold-load"_s, path});
        child.waitForFinished(120000);
        cold.push_back(child.readAllStandardOutput().trimmed().toDouble());
    }
    std::sort(cold.begin(), cold.end());
    out << "cold start in a new process (file read + parse + both lists decoded): "
        << cold[cold.size() / 2] << " ms\n";
    return 0;
}
