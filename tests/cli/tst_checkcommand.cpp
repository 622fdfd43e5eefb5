#include "cli/CheckCommand.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
    int writes = 0; // to the preferences store handed over
};

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString hyphenReason = u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_qs;
const QString topReason = u"悪質詐欺通販サイトで多発するTLD"_qs;
const QString notAbsolute = u"絶対アドレスではありません / not an absolute address"_qs;

QString errorLine(const QString &urlJson)
{
    return u"{\"url\":"_qs + urlJson + u",\"error\":\""_qs + notAbsolute + u"\"}"_qs;
}

} // namespace

class TestCheckCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void judgesAddresses_data();
    void judgesAddresses();
    void followsTheStoredRules();
    void printsSearchAddresses_data();
    void printsSearchAddresses();
    void reportsMissingSearchAddresses_data();
    void reportsMissingSearchAddresses();
    void rejectsWrongUsage_data();
    void rejectsWrongUsage();
    void explainsItselfInBothLanguages_data();
    void explainsItselfInBothLanguages();
    void neverWritesEvenOverUnreadableRules();
    void programLeavesTheSettingsFileAlone();
    void programReadsNoOtherSettingsWhenTheFileIsMissing();

private:
    Outcome run(const QStringList &arguments);
    void writeIni(const QByteArray &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestCheckCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"settings.ini"_qs);

    // The browser's own writes: defaults, plus two custom shops that the
    // search cases pick by name.
    SettingsPreferencesStore preferences(m_path);
    SecurityRuleStore rules(preferences);
    rules.addCustomShop(u"危ないテンプレート"_qs, u"bad.test"_qs, u"その他"_qs,
                        u"javascript:alert('{query}')"_qs);
    rules.addCustomShop(u"楽天市場"_qs, u"fake-rakuten.test"_qs, u"総合"_qs,
                        u"https://fake-rakuten.test/?q={query}"_qs);
}

void TestCheckCommand::cleanup()
{
    m_dir.reset();
}

Outcome TestCheckCommand::run(const QStringList &arguments)
{
    Outcome outcome;
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    {
        QTextStream out(&outcome.out);
        QTextStream err(&outcome.err);
        CheckCommand command(preferences, out, err);
        outcome.exitCode = command.run(arguments);
    }
    outcome.writes = int(writes.count());
    return outcome;
}

void TestCheckCommand::writeIni(const QByteArray &text)
{
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void TestCheckCommand::judgesAddresses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("trusted")
        << QStringList {u"https://www.amazon.co.jp/dp/B0?a=1"_qs}
        << QStringList {u"{\"url\":\"https://www.amazon.co.jp/dp/B0?a=1\","
                        "\"verdict\":\"trusted\",\"shopName\":\"Amazon.co.jp\"}"_qs}
        << 0;
    QTest::newRow("neutral, host lower-cased, url as given")
        << QStringList {u"HTTPS://Example.COM:8443/Path"_qs}
        << QStringList {u"{\"url\":\"HTTPS://Example.COM:8443/Path\",\"verdict\":\"neutral\","
                        "\"domain\":\"example.com\"}"_qs}
        << 0;
    QTest::newRow("no host") << QStringList {u"about:blank"_qs}
                             << QStringList {u"{\"url\":\"about:blank\",\"verdict\":\"neutral\","
                                             "\"domain\":\"不明\"}"_qs}
                             << 0;
    QTest::newRow("suspicious, pattern and hyphens")
        << QStringList {u"http://super-sale-shop-jp.top/"_qs}
        << QStringList {u"{\"url\":\"http://super-sale-shop-jp.top/\",\"verdict\":\"suspicious\","
                        "\"reasons\":[\""_qs
                        + topReason + u"\",\""_qs + hyphenReason + u"\"]}"_qs}
        << 1;
    QTest::newRow("suspicious, trailing dot")
        << QStringList {u"http://scam.top./"_qs}
        << QStringList {u"{\"url\":\"http://scam.top./\",\"verdict\":\"suspicious\","
                        "\"reasons\":[\""_qs
                        + topReason + u"\"]}"_qs}
        << 1;
    QTest::newRow("in order, one per line")
        << QStringList {u"https://www.google.co.jp/"_qs, u"http://a-b-c-d.com/"_qs,
                        u"https://www.rakuten.co.jp/"_qs}
        << QStringList {u"{\"url\":\"https://www.google.co.jp/\",\"verdict\":\"neutral\","
                        "\"domain\":\"www.google.co.jp\"}"_qs,
                        u"{\"url\":\"http://a-b-c-d.com/\",\"verdict\":\"suspicious\","
                        "\"reasons\":[\""_qs
                            + hyphenReason + u"\"]}"_qs,
                        u"{\"url\":\"https://www.rakuten.co.jp/\",\"verdict\":\"trusted\","
                        "\"shopName\":\"楽天市場\"}"_qs}
        << 1;
    QTest::newRow("relative") << QStringList {u"www.amazon.co.jp"_qs}
                              << QStringList {errorLine(u"\"www.amazon.co.jp\""_qs)} << 2;
    QTest::newRow("empty") << QStringList {QString()} << QStringList {errorLine(u"\"\""_qs)} << 2;
    QTest::newRow("space in host") << QStringList {u"http://a b.com/"_qs}
                                   << QStringList {errorLine(u"\"http://a b.com/\""_qs)} << 2;
    QTest::newRow("quote and backslash escaped")
        << QStringList {u"http://x.test/\"\\"_qs}
        << QStringList {errorLine(u"\"http://x.test/\\\"\\\\\""_qs)} << 2;
    QTest::newRow("error wins over suspicious, every line still printed")
        << QStringList {u"http://a-b-c-d.com/"_qs, u"nope"_qs, u"https://apple.com/"_qs}
        << QStringList {u"{\"url\":\"http://a-b-c-d.com/\",\"verdict\":\"suspicious\","
                        "\"reasons\":[\""_qs
                            + hyphenReason + u"\"]}"_qs,
                        errorLine(u"\"nope\""_qs),
                        u"{\"url\":\"https://apple.com/\",\"verdict\":\"trusted\","
                        "\"shopName\":\"Apple Store\"}"_qs}
        << 2;
    QTest::newRow("after --, a dash is an address")
        << QStringList {u"--"_qs, u"-x"_qs, u"--help"_qs}
        << QStringList {errorLine(u"\"-x\""_qs), errorLine(u"\"--help\""_qs)} << 2;
}

void TestCheckCommand::judgesAddresses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    QFETCH(int, exitCode);

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.out, lines.join(u'\n') + u'\n');
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.writes, 0);
}

void TestCheckCommand::followsTheStoredRules()
{
    {
        SettingsPreferencesStore preferences(m_path);
        SecurityRuleStore rules(preferences);
        rules.toggleShop(rules.trustedShops().constFirst().id); // Amazon off
        rules.addCustomPattern(u"*.shop"_qs, QString());
        rules.setFilterMode(SearchFilterMode::trustedOnly);
        rules.setSearchEngine(SearchTargetEngine::googleWeb);
    }

    Outcome outcome = run({u"https://www.amazon.co.jp/"_qs, u"https://cheap.shop/"_qs});
    QCOMPARE(outcome.out,
             u"{\"url\":\"https://www.amazon.co.jp/\",\"verdict\":\"neutral\","
             "\"domain\":\"www.amazon.co.jp\"}\n"
             "{\"url\":\"https://cheap.shop/\",\"verdict\":\"suspicious\","
             "\"reasons\":[\"危険なTLD/ドメインパターン (*.shop) に一致\"]}\n"_qs);
    QCOMPARE(outcome.exitCode, 1);

    // The stored mode and engine are the defaults of --search.
    outcome = run({u"--search"_qs, u"x"_qs});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(
        outcome.out.startsWith(u"https://www.google.co.jp/search?q=x%20(site:rakuten.co.jp%20OR"
                               "%20site:shopping.yahoo.co.jp%20OR"_qs),
        qPrintable(outcome.out));
    QVERIFY2(outcome.out.endsWith(u")&hl=ja&gl=jp\n"_qs), qPrintable(outcome.out));
}

void TestCheckCommand::printsSearchAddresses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("address");

    QTest::newRow("direct shop, first of that name")
        << QStringList {u"--search"_qs,         u" ノート PC "_qs, u"--mode"_qs,
                        u"directShopSearch"_qs, u"--shop"_qs,      u"楽天市場"_qs}
        << u"https://search.rakuten.co.jp/search/mall/%E3%83%8E%E3%83%BC%E3%83%88%20PC/"_qs;
    QTest::newRow("direct shop, query encoded whole")
        << QStringList {u"--search=M&A/C++"_qs, u"--shop=楽天市場"_qs,
                        u"--mode=directShopSearch"_qs}
        << u"https://search.rakuten.co.jp/search/mall/M%26A%2FC%2B%2B/"_qs;
    QTest::newRow("direct mode without shop")
        << QStringList {u"--search"_qs, u"x"_qs, u"--mode"_qs, u"directShopSearch"_qs}
        << u"https://www.google.co.jp/search?q=x&hl=ja&gl=jp&tbm=shop&udm=28"_qs;
    QTest::newRow("shop ignored outside direct mode")
        << QStringList {u"--search"_qs, u"x"_qs,         u"--mode"_qs, u"trustedOnly"_qs,
                        u"--engine"_qs, u"googleWeb"_qs, u"--shop"_qs, u"Apple Store"_qs}
        << u"https://www.google.co.jp/search?q=x%20(site:amazon.co.jp%20OR%20site:rakuten.co.jp"
           "%20OR%20site:shopping.yahoo.co.jp%20OR%20site:yodobashi.com%20OR"
           "%20site:biccamera.com%20OR%20site:sofmap.com%20OR%20site:kojima.net%20OR"
           "%20site:yamada-denkiweb.com%20OR%20site:joshinweb.jp%20OR"
           "%20site:online.nojima.co.jp%20OR%20site:dospara.co.jp%20OR%20site:pc-koubou.jp"
           "%20OR%20site:tsukumo.co.jp%20OR%20site:amiami.jp%20OR"
           "%20site:animate-onlineshop.jp)&hl=ja&gl=jp"_qs;
    QTest::newRow("query starting with a dash")
        << QStringList {u"--search"_qs,         u"-x"_qs,       u"--mode"_qs,
                        u"directShopSearch"_qs, u"--engine"_qs, u"googleWeb"_qs}
        << u"https://www.google.co.jp/search?q=-x&hl=ja&gl=jp"_qs;
}

void TestCheckCommand::printsSearchAddresses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, address);

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.out, address + u'\n');
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.writes, 0);
}

void TestCheckCommand::reportsMissingSearchAddresses_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("blank query") << QStringList {u"--search"_qs, u" \n "_qs};
    QTest::newRow("empty query") << QStringList {u"--search="_qs};
    QTest::newRow("script template")
        << QStringList {u"--search"_qs,         u"x"_qs,      u"--mode"_qs,
                        u"directShopSearch"_qs, u"--shop"_qs, u"危ないテンプレート"_qs};
}

void TestCheckCommand::reportsMissingSearchAddresses()
{
    QFETCH(QStringList, arguments);

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.out, QString());
    QVERIFY(!outcome.err.isEmpty());
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.writes, 0);
}

void TestCheckCommand::rejectsWrongUsage_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("nothing") << QStringList {};
    QTest::newRow("unknown option") << QStringList {u"--bogus"_qs, u"https://a.test/"_qs};
    QTest::newRow("unknown short option") << QStringList {u"-x"_qs};
    QTest::newRow("search without query") << QStringList {u"--search"_qs};
    QTest::newRow("search twice") << QStringList {u"--search"_qs, u"a"_qs, u"--search=b"_qs};
    QTest::newRow("search with addresses")
        << QStringList {u"--search"_qs, u"x"_qs, u"https://a.test/"_qs};
    QTest::newRow("mode without search")
        << QStringList {u"--mode"_qs, u"trustedOnly"_qs, u"https://a.test/"_qs};
    QTest::newRow("shop without search") << QStringList {u"--shop"_qs, u"楽天市場"_qs};
    QTest::newRow("unknown mode") << QStringList {u"--search"_qs, u"x"_qs, u"--mode"_qs,
                                                  u"TrustedOnly"_qs};
    QTest::newRow("unknown engine")
        << QStringList {u"--search"_qs, u"x"_qs, u"--engine"_qs, u"bing"_qs};
    QTest::newRow("engine without value") << QStringList {u"--search"_qs, u"x"_qs, u"--engine"_qs};
    QTest::newRow("shop name not exact") << QStringList {
        u"--search"_qs, u"x"_qs, u"--mode"_qs, u"directShopSearch"_qs, u"--shop"_qs, u"楽天"_qs};
    QTest::newRow("unknown shop even for a blank query")
        << QStringList {u"--search"_qs, u" "_qs, u"--shop"_qs, u"nope"_qs};
}

void TestCheckCommand::rejectsWrongUsage()
{
    QFETCH(QStringList, arguments);

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.out, QString());
    QVERIFY(outcome.err.contains(u"--help"_qs));
    QCOMPARE(outcome.exitCode, 2);
    QCOMPARE(outcome.writes, 0);
}

void TestCheckCommand::explainsItselfInBothLanguages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("--help") << QStringList {u"--help"_qs};
    QTest::newRow("-h") << QStringList {u"-h"_qs};
    QTest::newRow("among other arguments") << QStringList {u"nope"_qs, u"--help"_qs, u"--bogus"_qs};
}

void TestCheckCommand::explainsItselfInBothLanguages()
{
    QFETCH(QStringList, arguments);

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QString());
    for (const QString &part :
         {u"使い方"_qs, u"Usage"_qs, u"終了ステータス"_qs, u"Exit status"_qs, u"--search QUERY"_qs,
          u"--mode"_qs, u"excludeSuspicious"_qs, u"googleWeb"_qs, u"--shop NAME"_qs,
          u"VELMORA_SETTINGS_FILE"_qs, u"書き込みません"_qs, u"never writes"_qs}) {
        QVERIFY2(outcome.out.contains(part), qPrintable(part));
    }
}

void TestCheckCommand::neverWritesEvenOverUnreadableRules()
{
    // A writable rule store would put the defaults (and backups) here.
    const QByteArray broken = "[General]\n"
                              "velmora_trusted_shops_v1=@ByteArray(not json)\n"
                              "velmora_excluded_patterns_v1=@ByteArray([])\n"
                              "velmora_filter_mode_v1=Bogus\n";
    writeIni(broken);

    Outcome outcome = run({u"https://www.amazon.co.jp/"_qs, u"http://x.top/"_qs});
    QCOMPARE(outcome.out,
             u"{\"url\":\"https://www.amazon.co.jp/\",\"verdict\":\"trusted\","
             "\"shopName\":\"Amazon.co.jp\"}\n"
             "{\"url\":\"http://x.top/\",\"verdict\":\"suspicious\",\"reasons\":[\""_qs
                 + topReason + u"\"]}\n"_qs);
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.writes, 0);

    outcome = run({u"--search"_qs, u"x"_qs, u"--mode"_qs, u"directShopSearch"_qs});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.writes, 0);
    QCOMPARE(fileBytes(m_path), broken);
}

void TestCheckCommand::programLeavesTheSettingsFileAlone()
{
    writeIni("[General]\n"
             "velmora_trusted_shops_v1=@ByteArray({\"truncated\":)\n"
             "velmora_search_engine_v1=googleWeb\n");
    const QByteArray before = fileBytes(m_path);
    const QStringList entriesBefore
        = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(CheckCommand::settingsFileVariable), m_path);
    // Should the variable be ignored, the program must not find the user's
    // real settings either.
    environment.insert(u"HOME"_qs, m_dir->path());
    environment.insert(u"XDG_CONFIG_HOME"_qs, m_dir->filePath(u"config"_qs));
    process.setProcessEnvironment(environment);

    process.start(QStringLiteral(VELMORA_CHECK_PROGRAM),
                  {u"https://www.yodobashi.com/"_qs, u"http://ｍｉｘｅｄ-Ｃａｓｅ-ｘ-ｙ.com/"_qs});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QStringList lines
        = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0),
             u"{\"url\":\"https://www.yodobashi.com/\",\"verdict\":\"trusted\","
             "\"shopName\":\"ヨドバシ・ドット・コム\"}"_qs);
    // Full-width letters reach the engine as the same host in ASCII.
    QCOMPARE(lines.at(1),
             u"{\"url\":\"http://ｍｉｘｅｄ-Ｃａｓｅ-ｘ-ｙ.com/\",\"verdict\":\"suspicious\","
             "\"reasons\":[\""_qs
                 + hyphenReason + u"\"]}"_qs);
    QCOMPARE(process.exitCode(), 1);

    // The stored engine (googleWeb) is the default of a search.
    process.start(QStringLiteral(VELMORA_CHECK_PROGRAM),
                  {u"--search"_qs, u"ノート"_qs, u"--mode"_qs, u"directShopSearch"_qs});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(
        process.readAllStandardOutput(),
        QByteArray("https://www.google.co.jp/search?q=%E3%83%8E%E3%83%BC%E3%83%88&hl=ja&gl=jp\n"));
    QCOMPARE(process.exitCode(), 0);

    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden), entriesBefore);
}

void TestCheckCommand::programReadsNoOtherSettingsWhenTheFileIsMissing()
{
    const QString missing = m_dir->filePath(u"missing/settings.ini"_qs);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(CheckCommand::settingsFileVariable), missing);
    environment.insert(u"HOME"_qs, m_dir->path());
    environment.insert(u"XDG_CONFIG_HOME"_qs, m_dir->filePath(u"config"_qs));
    process.setProcessEnvironment(environment);

    // The temporary file stored a custom "楽天市場"; a missing file has only
    // the built-in rules.
    process.start(QStringLiteral(VELMORA_CHECK_PROGRAM), {u"https://fake-rakuten.test/"_qs});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardOutput(),
             QByteArray("{\"url\":\"https://fake-rakuten.test/\",\"verdict\":\"neutral\","
                        "\"domain\":\"fake-rakuten.test\"}\n"));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!QFile::exists(m_dir->filePath(u"config"_qs)));

    process.start(QStringLiteral(VELMORA_CHECK_PROGRAM), {});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(!process.readAllStandardError().isEmpty());
}

QTEST_GUILESS_MAIN(TestCheckCommand)

#include "tst_checkcommand.moc"
