#include "cli/CheckCommand.h"
#include "prefs/FileBytes.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/DefaultRules.h"
#include "rules/SecurityRuleStore.h"
#include "subscriptions/SubscriptionStore.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

#include <sys/stat.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
    int writes = 0; // to the preferences store handed over
};

const QString hyphenReason = u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_qs;
const QString topReason = u"悪質詐欺通販サイトで多発するTLD"_qs;
const QString notAbsolute = u"絶対アドレスではありません / not an absolute address"_qs;

QString errorLine(const QString &urlJson)
{
    return u"{\"url\":"_qs + urlJson + u",\"error\":\""_qs + notAbsolute + u"\"}"_qs;
}

// One output line for an address needing no escapes.
QString line(const QString &url, const QString &verdict, const QString &key, const QString &value)
{
    return u"{\"url\":\"%1\",\"verdict\":\"%2\",\"%3\":%4}"_qs.arg(url, verdict, key, value);
}

QString suspicious(const QString &url, const QStringList &reasons)
{
    return line(url, u"suspicious"_qs, u"reasons"_qs,
                u"[\""_qs + reasons.join(u"\",\""_qs) + u"\"]"_qs);
}

QString listReason(const QString &name)
{
    return u"購読リスト「"_qs + name + u"」に掲載"_qs;
}

} // namespace

class TestCheckCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void runs_data();
    void runs();
    void explainsItselfInBothLanguages();
    void programLeavesTheSettingsFileAlone();

private:
    Outcome run(const QStringList &arguments);
    Outcome runProgram(const QString &settingsFile, const QStringList &arguments);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestCheckCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"settings.ini"_qs);

    // The browser's own writes: defaults, plus two custom shops that the
    // search cases pick by name, and the mode and engine --search starts from.
    SettingsPreferencesStore preferences(m_path);
    SecurityRuleStore rules(preferences);
    rules.setFilterMode(SearchFilterMode::trustedOnly);
    rules.setSearchEngine(SearchTargetEngine::googleWeb);
    rules.addCustomShop(u"危ないテンプレート"_qs, u"bad.test"_qs, u"その他"_qs,
                        u"javascript:alert('{query}')"_qs);
    rules.addCustomShop(u"楽天市場"_qs, u"fake-rakuten.test"_qs, u"総合"_qs,
                        u"https://fake-rakuten.test/?q={query}"_qs);
    writeBytes(m_dir->filePath(u"mine.txt"_qs),
               "# Title: テストリスト\n*://*.fake-shop.example/*\n");
    writeBytes(m_dir->filePath(u"untitled.txt"_qs), "*://www.fake-shop.example/*\n");
    writeBytes(m_dir->filePath(u"binary.bin"_qs),
               "*://*.fake-shop.example/*\n" + QByteArray(8, '\0'));
}

Outcome TestCheckCommand::run(const QStringList &arguments)
{
    Outcome outcome;
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    {
        QTextStream out(&outcome.out);
        QTextStream err(&outcome.err);
        CheckCommand command(preferences, out, err, m_dir->filePath(u"lists"_qs));
        outcome.exitCode = command.run(arguments);
    }
    outcome.writes = int(writes.count());
    return outcome;
}

void TestCheckCommand::runs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("lines"); // exact standard output; none: a message instead
    QTest::addColumn<int>("exitCode");
    const auto add = [](const char *name, const QStringList &arguments, const QStringList &lines,
                        int exitCode) { QTest::newRow(name) << arguments << lines << exitCode; };

    // Addresses are read as the browser's engine reads them.
    const QString unparsable = u"アドレスを正しく解析できないため安全を確認できません"_qs;
    add("no sound host: suspicious, not a usage error", {u"http://256.256.256.256/"_qs},
        {suspicious(u"http://256.256.256.256/"_qs, {unparsable})}, 1);
    add("malformed http form, tab and backslash",
        {u"--no-subscriptions"_qs, u"http:scam.top"_qs, u"ht\ttp:\\\\ok.test\\x"_qs},
        {suspicious(u"http:scam.top"_qs, {topReason}),
         line(u"ht\\ttp:\\\\\\\\ok.test\\\\x"_qs, u"neutral"_qs, u"domain"_qs, u"\"ok.test\""_qs)},
        1);
    add("caution, exit 0", {u"https://handmade.shop/"_qs},
        {line(u"https://handmade.shop/"_qs, u"caution"_qs, u"reasons"_qs,
              u"[\"詐欺サイトでの悪用が多いTLD (.shop)\"]"_qs)},
        0);
    add("error wins over suspicious, every line still printed",
        {u"http://a-b-c-d.com/"_qs, u"nope"_qs, u"https://apple.com/"_qs},
        {suspicious(u"http://a-b-c-d.com/"_qs, {hyphenReason}), errorLine(u"\"nope\""_qs),
         line(u"https://apple.com/"_qs, u"trusted"_qs, u"shopName"_qs, u"\"Apple Store\""_qs)},
        2);
    add("after --, a dash is an address", {u"--"_qs, u"-x"_qs, u"--help"_qs},
        {errorLine(u"\"-x\""_qs), errorLine(u"\"--help\""_qs)}, 2);

    const QStringList direct {u"--search"_qs, u"x"_qs, u"--mode"_qs, u"directShopSearch"_qs};
    add("direct shop, first of that name",
        {u"--search"_qs, u" ノート PC "_qs, u"--mode"_qs, u"directShopSearch"_qs, u"--shop"_qs,
         u"楽天市場"_qs},
        {u"https://search.rakuten.co.jp/search/mall/%E3%83%8E%E3%83%BC%E3%83%88%20PC/"_qs}, 0);
    add("query starting with a dash",
        {u"--search"_qs, u"-x"_qs, u"--mode"_qs, u"directShopSearch"_qs, u"--engine"_qs,
         u"googleShopping"_qs},
        {u"https://www.google.co.jp/search?q=-x&hl=ja&gl=jp&tbm=shop&udm=28"_qs}, 0);
    QStringList sites; // of the first fifteen shops, in the stored mode and engine
    for (const TrustedShop &shop : defaultTrustedShops().first(15))
        sites.append(u"site:"_qs + shop.domain);
    add("stored mode and engine", {u"--search"_qs, u"x"_qs},
        {u"https://www.google.co.jp/search?q=x%20("_qs + sites.join(u"%20OR%20"_qs)
         + u")&hl=ja&gl=jp"_qs},
        0);

    // No search address: a message, status 1.
    add("blank query", {u"--search"_qs, u" \n "_qs}, {}, 1);
    add("script template", direct + QStringList {u"--shop"_qs, u"危ないテンプレート"_qs}, {}, 1);

    // Wrong usage: a pointer to --help, status 2.
    const QList<QStringList> wrongUsage {
        {},
        {u"--bogus"_qs, u"https://a.test/"_qs},
        {u"--search"_qs, u"x"_qs, u"https://a.test/"_qs},
        {u"--mode"_qs, u"trustedOnly"_qs, u"https://a.test/"_qs},
        {u"--search"_qs, u"x"_qs, u"--mode"_qs, u"TrustedOnly"_qs},
        direct + QStringList {u"--shop"_qs, u"楽天"_qs},
        {u"--search"_qs, u" "_qs, u"--shop"_qs, u"nope"_qs}, // unknown shop, blank query
    };
    for (const QStringList &arguments : wrongUsage)
        QTest::addRow("usage: %s", qPrintable(arguments.join(u' ')))
            << arguments << QStringList() << 2;

    // List files ("{dir}": the test's folder) judge beside the browser's own
    // list unless it is left out, each named by its title or file name.
    const QString fake = u"https://www.fake-shop.example/"_qs;
    const QString bundled = u"https://www.11momoshop.com/item"_qs; // named by the browser's list
    const QString mine = listReason(u"テストリスト"_qs);
    add("a list file added", {u"--subscription"_qs, u"{dir}/mine.txt"_qs, fake, bundled},
        {suspicious(fake, {mine}),
         suspicious(bundled, {listReason(u"詐欺ネットショップ報告リスト"_qs)})},
        1);
    add("only the list file",
        {u"--no-subscriptions"_qs, u"--subscription={dir}/mine.txt"_qs, fake, bundled},
        {suspicious(fake, {mine}),
         line(
             bundled, u"caution"_qs, u"reasons"_qs,
             u"[\"公認ショップではありません。購入前に特定商取引法の表記と支払方法を確認してください\"]"_qs)},
        1);
    add("every list file, each once",
        {u"--subscription"_qs, u"{dir}/mine.txt"_qs, u"--subscription"_qs, u"{dir}/untitled.txt"_qs,
         u"--subscription"_qs, u"{dir}/mine.txt"_qs, fake},
        {suspicious(fake, {mine, listReason(u"untitled.txt"_qs)})}, 1);
    // Wrong files (missing, without rules, binary) are wrong usage.
    for (const char *file : {"none.txt", "settings.ini", "binary.bin"})
        add(file, {u"--subscription"_qs, u"{dir}/"_qs + QString::fromLatin1(file), fake}, {}, 2);
}

void TestCheckCommand::runs()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    QFETCH(int, exitCode);

    const bool namesFile = !arguments.filter(u"{dir}"_qs).isEmpty();
    const Outcome outcome = run(arguments.replaceInStrings(u"{dir}"_qs, m_dir->path()));
    QCOMPARE(outcome.out, lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n');
    QCOMPARE(outcome.err.isEmpty(), !lines.isEmpty());
    if (lines.isEmpty() && exitCode == 2)
        QVERIFY(outcome.err.contains(u"--help"_qs)
                && outcome.err.contains(m_dir->path()) == namesFile);
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.writes, 0);
}

void TestCheckCommand::explainsItselfInBothLanguages()
{
    // Even among other arguments, wrong ones too.
    const Outcome outcome = run({u"nope"_qs, u"--help"_qs, u"--bogus"_qs});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QString());
    QVERIFY(outcome.out.contains(u"使い方"_qs) && outcome.out.contains(u"Usage"_qs));
}

Outcome TestCheckCommand::runProgram(const QString &settingsFile, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(CheckCommand::settingsFileVariable), settingsFile);
    // Should the variable be ignored, the program must not find the user's
    // real settings either.
    environment.insert(u"HOME"_qs, m_dir->path());
    environment.insert(u"XDG_CONFIG_HOME"_qs, m_dir->filePath(u"config"_qs));
    environment.insert(u"XDG_DATA_HOME"_qs, m_dir->filePath(u"data"_qs));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_CHECK_PROGRAM), arguments);
    Outcome outcome;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.exitCode = process.exitCode();
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

void TestCheckCommand::programLeavesTheSettingsFileAlone()
{
    // A missing file means the built-in rules only (not the custom "楽天市場"
    // in the temporary file, whose name the host now merely imitates), and
    // it is not created.
    const QString missing = m_dir->filePath(u"missing/settings.ini"_qs);
    Outcome outcome = runProgram(missing, {u"https://fake-rakuten.test/"_qs});
    QCOMPARE(outcome.out,
             suspicious(u"https://fake-rakuten.test/"_qs, {u"楽天市場を装った偽サイトの疑い"_qs})
                 + u'\n');
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!QFile::exists(m_dir->filePath(u"config"_qs)));
    // A pipe or a folder is no settings file: refused rather than waited on
    // or taken for no rules.
    const QString pipe = m_dir->filePath(u"pipe.ini"_qs);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &odd : {pipe, m_dir->path()}) {
        outcome = runProgram(odd, {u"https://fake-rakuten.test/"_qs});
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY(outcome.out.isEmpty() && outcome.err.contains(u"設定ファイルではありません"_qs));
    }
    QFile::remove(pipe);

    // A writable rule store would put defaults (and a backup) over these.
    writeBytes(m_path,
               "[General]\n"
               "velmora_trusted_shops_v1=@ByteArray({\"truncated\":)\n"
               "velmora_excluded_patterns_v1=@ByteArray([])\n"
               "velmora_filter_mode_v1=Bogus\n"
               "velmora_search_engine_v1=googleWeb\n");
    // The browser's subscriptions, where the browser keeps them.
    {
        SettingsPreferencesStore preferences(m_path);
        SubscriptionStore::Options options;
        options.directory
            = m_dir->filePath(u"data/Velmora/VelmoraShoppingBrowser/subscriptions"_qs);
        SubscriptionStore subscriptions(preferences, options);
        QVERIFY(subscriptions.importFile(m_dir->filePath(u"mine.txt"_qs)).succeeded());
    }
    const QByteArray before = fileBytes(m_path);
    const auto entries = [this] {
        QStringList found;
        QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
        found.sort();
        return found;
    };
    const QStringList entriesBefore = entries();
    outcome
        = runProgram(m_path, {u"https://www.yodobashi.com/"_qs, u"https://fake-shop.example/"_qs});
    QCOMPARE(outcome.out,
             line(u"https://www.yodobashi.com/"_qs, u"trusted"_qs, u"shopName"_qs,
                  u"\"ヨドバシ・ドット・コム\""_qs)
                 + u'\n'
                 + suspicious(u"https://fake-shop.example/"_qs, {listReason(u"テストリスト"_qs)})
                 + u'\n');
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(entries(), entriesBefore);
}

QTEST_GUILESS_MAIN(TestCheckCommand)

#include "tst_checkcommand.moc"
