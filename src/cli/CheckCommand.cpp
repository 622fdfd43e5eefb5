#include "cli/CheckCommand.h"

#include "prefs/ReadOnlyPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/SafetyReasons.h"
#include "safety/WebAddress.h"
#include "subscriptions/SubscriptionStore.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <QUrl>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

struct CheckCommand::Options
{
    bool help = false;
    bool noSubscriptions = false;
    QStringList subscriptionFiles;
    std::optional<QString> search;
    std::optional<QString> mode;
    std::optional<QString> engine;
    std::optional<QString> shop;
    QStringList addresses;
    // Set when the arguments cannot be understood: Japanese, English.
    QString errorJapanese;
    QString errorEnglish;

    // The first fault is the one reported.
    void setError(const QString &japanese, const QString &english)
    {
        if (errorEnglish.isEmpty()) {
            errorJapanese = japanese;
            errorEnglish = english;
        }
    }
};

namespace {

// One JSON value in its compact text form; the JSON writer does the escaping.
QString jsonText(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

QString jsonText(const QStringList &texts)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
}

// Lines are written by hand so that the keys keep the documented order
// (QJsonObject sorts them): "url" first, then "verdict" or "error".
QString resultLine(const QString &argument, const QString &rest)
{
    return QStringLiteral("{\"url\":") + jsonText(argument) + u',' + rest + u'}';
}

QString verdictLine(const QString &argument, const SafetyLevel &level)
{
    switch (level.kind()) {
    case SafetyLevel::Kind::trusted:
        return resultLine(argument,
                          QStringLiteral("\"verdict\":\"trusted\",\"shopName\":")
                              + jsonText(level.shopName()));
    case SafetyLevel::Kind::suspicious:
        return resultLine(argument,
                          QStringLiteral("\"verdict\":\"suspicious\",\"reasons\":")
                              + jsonText(level.reasons()));
    case SafetyLevel::Kind::caution:
        return resultLine(argument,
                          QStringLiteral("\"verdict\":\"caution\",\"reasons\":")
                              + jsonText(level.reasons()));
    case SafetyLevel::Kind::neutral:
        break;
    }
    return resultLine(
        argument, QStringLiteral("\"verdict\":\"neutral\",\"domain\":") + jsonText(level.domain()));
}

QString joinedRawValues(const QStringList &values)
{
    return values.join(QStringLiteral(", "));
}

QStringList modeRawValues()
{
    QStringList values;
    const QList<SearchFilterMode> modes = allSearchFilterModes();
    for (SearchFilterMode mode : modes)
        values.append(rawValue(mode));
    return values;
}

QStringList engineRawValues()
{
    QStringList values;
    const QList<SearchTargetEngine> engines = allSearchTargetEngines();
    for (SearchTargetEngine engine : engines)
        values.append(rawValue(engine));
    return values;
}

} // namespace

CheckCommand::CheckCommand(const PreferencesStore &preferences, QTextStream &out, QTextStream &err,
                           const QString &subscriptionFolder)
    : m_preferences(preferences)
    , m_subscriptionFolder(subscriptionFolder)
    , m_out(out)
    , m_err(err)
{ }

CheckCommand::Options CheckCommand::parse(const QStringList &arguments)
{
    Options options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList {u"h"_s, u"help"_s});
    const QCommandLineOption noSubscriptions(u"no-subscriptions"_s);
    const QCommandLineOption subscription(u"subscription"_s, QString(), u"FILE"_s);
    const QList<std::pair<QCommandLineOption, std::optional<QString> Options::*>> valueOptions = {
        {QCommandLineOption(u"search"_s, QString(), u"QUERY"_s), &Options::search},
        {QCommandLineOption(u"mode"_s, QString(), u"RAW"_s), &Options::mode},
        {QCommandLineOption(u"engine"_s, QString(), u"RAW"_s), &Options::engine},
        {QCommandLineOption(u"shop"_s, QString(), u"NAME"_s), &Options::shop},
    };
    parser.addOption(help);
    parser.addOption(noSubscriptions);
    parser.addOption(subscription);
    for (const auto &[option, member] : valueOptions)
        parser.addOption(option);

    // The parser takes the program name first.
    const bool parsed = parser.parse(QStringList {u"velmora-check"_s} + arguments);
    options.help = parser.isSet(help);
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString name
                = (unknown.constFirst().size() == 1 ? u"-"_s : u"--"_s) + unknown.constFirst();
            options.setError(u"不明なオプション: "_s + name, u"Unknown option: "_s + name);
        } else {
            // The only other fault: a value option last, with nothing after it.
            const QString name = arguments.isEmpty() ? QString() : arguments.constLast();
            options.setError(name + u" には値が必要です。"_s, name + u" needs a value."_s);
        }
        return options;
    }
    options.noSubscriptions = parser.isSet(noSubscriptions);
    options.subscriptionFiles = parser.values(subscription);
    for (const auto &[option, member] : valueOptions) {
        const QStringList values = parser.values(option);
        if (values.size() > 1) {
            const QString name = u"--"_s + option.names().constFirst();
            options.setError(name + u" が2回指定されています。"_s, name + u" is given twice."_s);
        }
        if (!values.isEmpty())
            options.*member = values.constLast();
    }
    options.addresses = parser.positionalArguments();
    return options;
}

int CheckCommand::run(const QStringList &arguments)
{
    const Options options = parse(arguments);
    if (options.help) {
        m_out << helpText();
        m_out.flush();
        return success;
    }
    if (!options.errorEnglish.isEmpty())
        return reportUsageError(options.errorJapanese, options.errorEnglish);

    if (options.search) {
        if (!options.addresses.isEmpty()) {
            return reportUsageError(QStringLiteral("--search と URL は同時に指定できません。"),
                                    QStringLiteral("--search cannot be combined with URLs."));
        }
        return printSearchAddress(options);
    }
    if (options.mode || options.engine || options.shop) {
        return reportUsageError(
            QStringLiteral("--mode、--engine、--shop は --search と一緒に使います。"),
            QStringLiteral("--mode, --engine and --shop go with --search."));
    }
    if (options.addresses.isEmpty()) {
        return reportUsageError(QStringLiteral("URL か --search を指定してください。"),
                                QStringLiteral("Give URLs or --search."));
    }
    return checkAddresses(options);
}

std::optional<QList<SubscribedList>> CheckCommand::subscribedLists(const Options &options,
                                                                   PreferencesStore &preferences)
{
    QList<SubscribedList> lists;
    if (!options.noSubscriptions) {
        SubscriptionStore::Options storeOptions;
        storeOptions.directory = m_subscriptionFolder;
        // Const: reading the records and list files is all it may do here.
        const SubscriptionStore subscriptions(preferences, storeOptions);
        lists = subscriptions.enabledLists();
    }
    for (const QString &path : options.subscriptionFiles) {
        QFile file(path);
        const QByteArray text = file.open(QIODevice::ReadOnly)
            ? file.read(SubscriptionStore::maxListBytes + 1)
            : QByteArray();
        if (!file.isOpen() || file.error() != QFile::NoError) {
            reportUsageError(u"リストのファイルを読めません: "_s + path,
                             u"Cannot read the list file: "_s + path);
            return std::nullopt;
        }
        std::shared_ptr<const BlockList> list = BlockList::parse(text);
        // Most likely the wrong file; judging without it, or with the odd
        // line of a binary file read as a rule, would pass for a clean result.
        if (const QString reason = SubscriptionStore::refusal(text, *list, true);
            !reason.isEmpty()) {
            reportUsageError(u"リストのファイルを使えません（%1）: "_s.arg(reason) + path,
                             u"The file is not a usable list: "_s + path);
            return std::nullopt;
        }
        const QString name = list->title().isEmpty() ? QFileInfo(path).fileName() : list->title();
        lists.append({QUuid(), name, std::move(list)});
    }
    return lists;
}

int CheckCommand::checkAddresses(const Options &options)
{
    ReadOnlyPreferencesStore preferences(m_preferences);
    const SecurityRuleStore store(preferences);
    const std::optional<QList<SubscribedList>> lists = subscribedLists(options, preferences);
    if (!lists)
        return usageError;
    const RuleSet rules = store.ruleSet()->withSubscribedLists(*lists);
    const SafeBrowsingEngine engine;

    bool anyNotAddress = false;
    bool anySuspicious = false;
    for (const QString &argument : options.addresses) {
        // Read as the browser's engine would read it, tabs, backslashes and
        // all; only a text with no scheme at all is no address.
        const LoadTarget target = LoadTarget::fromText(argument);
        if (target.status() == LoadTarget::Status::notAnAddress) {
            anyNotAddress = true;
            m_out << resultLine(argument,
                                u"\"error\":"_s
                                    + jsonText(u"絶対アドレスではありません / not an absolute "
                                               u"address"_s))
                  << u'\n';
            continue;
        }
        // The lists' path patterns and expressions need the whole address.
        const SafetyLevel level = engine.evaluateSafety(target, QUrl(argument), rules);
        anySuspicious = anySuspicious || level.isSuspicious();
        m_out << verdictLine(argument, level) << u'\n';
    }
    m_out.flush();

    if (anyNotAddress)
        return usageError;
    return anySuspicious ? flagged : success;
}

int CheckCommand::printSearchAddress(const Options &options)
{
    ReadOnlyPreferencesStore preferences(m_preferences);
    const SecurityRuleStore rules(preferences);

    SearchFilterMode mode = rules.filterMode();
    if (options.mode) {
        const std::optional<SearchFilterMode> chosen = searchFilterModeFromRawValue(*options.mode);
        if (!chosen) {
            return reportUsageError(QStringLiteral("不明なモード: %1 (使えるのは %2)")
                                        .arg(*options.mode, joinedRawValues(modeRawValues())),
                                    QStringLiteral("Unknown mode: %1 (one of %2)")
                                        .arg(*options.mode, joinedRawValues(modeRawValues())));
        }
        mode = *chosen;
    }

    SearchTargetEngine searchEngine = rules.searchEngine();
    if (options.engine) {
        const std::optional<SearchTargetEngine> chosen
            = searchTargetEngineFromRawValue(*options.engine);
        if (!chosen) {
            return reportUsageError(QStringLiteral("不明な検索エンジン: %1 (使えるのは %2)")
                                        .arg(*options.engine, joinedRawValues(engineRawValues())),
                                    QStringLiteral("Unknown engine: %1 (one of %2)")
                                        .arg(*options.engine, joinedRawValues(engineRawValues())));
        }
        searchEngine = *chosen;
    }

    // As in the search bar, a chosen shop counts whether enabled or not.
    std::optional<TrustedShop> shop;
    if (options.shop) {
        for (const TrustedShop &candidate : rules.trustedShops()) {
            if (candidate.name == *options.shop) {
                shop = candidate;
                break;
            }
        }
        if (!shop) {
            return reportUsageError(QStringLiteral("そのショップ名は登録されていません: ")
                                        + *options.shop,
                                    QStringLiteral("No shop has that name: ") + *options.shop);
        }
    }

    // The search bar opens nothing for a blank query.
    const QString query = options.search->trimmed();
    if (query.isEmpty()) {
        m_err << QStringLiteral("検索語が空のため、検索バーは何も開きません。\n"
                                "The query is blank, so the search bar opens nothing.\n");
        m_err.flush();
        return flagged;
    }

    const SafeBrowsingEngine engine;
    const std::optional<QUrl> url = engine.buildSearchURL(query, mode, searchEngine, rules, shop);
    // The browser opens only what its address parser takes; check the same way.
    const std::optional<QUrl> openable
        = url ? WebAddress::parse(WebAddress::text(*url)) : std::nullopt;
    if (!openable) {
        m_err << QStringLiteral("検索アドレスを作れませんでした (ショップの検索テンプレートを確認"
                                "してください)。\n"
                                "No search address could be built (check the shop's search "
                                "template).\n");
        m_err.flush();
        return flagged;
    }

    m_out << WebAddress::text(*openable) << u'\n';
    m_out.flush();
    return success;
}

int CheckCommand::reportUsageError(const QString &japanese, const QString &english)
{
    m_err << QStringLiteral("velmora-check: ") << japanese << u'\n'
          << QStringLiteral("velmora-check: ") << english << u'\n'
          << QStringLiteral("使い方は velmora-check --help / See velmora-check --help\n");
    m_err.flush();
    return usageError;
}

QString CheckCommand::helpText()
{
    const QString modes = joinedRawValues(modeRawValues());
    const QString engines = joinedRawValues(engineRawValues());
    QString reasons = u"  suspicious:\n"_s;
    for (const QString &reason : SafetyReasons::suspiciousTemplates())
        reasons += u"    - "_s + reason + u'\n';
    reasons += u"    - 除外パターンに登録された理由 / the reason stored with an excluded pattern\n"
               u"  caution:\n"_s;
    for (const QString &reason : SafetyReasons::cautionTemplates())
        reasons += u"    - "_s + reason + u'\n';
    return QStringLiteral(
               "使い方 / Usage:\n"
               "  velmora-check [--no-subscriptions] [--subscription FILE]... URL...\n"
               "  velmora-check --search QUERY [--mode RAW] [--engine RAW] [--shop NAME]\n"
               "  velmora-check --help\n"
               "\n"
               "Velmora Shopping Browser と同じ判定エンジンと保存済みルールで、リンクの安全性を"
               "調べます。\n"
               "設定は読むだけで、決して書き込みません。\n"
               "Judges links with the same engine and the same stored rules as Velmora "
               "Shopping Browser.\n"
               "It only reads the settings and never writes to them.\n"
               "\n"
               "URL...\n"
               "  URL ごとに1行、入力順に JSON オブジェクトを出力します:\n"
               "  Prints one compact JSON object per URL, in order, one per line:\n"
               "    {\"url\":URL,\"verdict\":\"trusted\",\"shopName\":NAME}\n"
               "    {\"url\":URL,\"verdict\":\"suspicious\",\"reasons\":[REASON,...]}\n"
               "    {\"url\":URL,\"verdict\":\"caution\",\"reasons\":[REASON,...]}\n"
               "    {\"url\":URL,\"verdict\":\"neutral\",\"domain\":HOST}\n"
               "    {\"url\":URL,\"error\":MESSAGE}\n"
               "  trusted     有効な認定ショップのページ / a page of an enabled certified shop\n"
               "  suspicious  ブラウザは開かずに警告します / the browser blocks it and warns\n"
               "  caution     開きますが注意を表示します / it opens, with a caution bar\n"
               "  neutral     該当なし (HOST はホスト名、ホストのないページは \"不明\")\n"
               "              nothing applies (HOST is the host, \"不明\" for pages without one)\n"
               "  \"url\" は指定したままの引数です。ブラウザのエンジンと同じ規則 (URL Standard) "
               "で\n"
               "  読みます。スキームのない引数には \"error\" が付きます。スキームがあっても\n"
               "  ホストを正しく読めないアドレスは suspicious です。\n"
               "  \"url\" is the argument as given, read by the rules the browser's engine uses\n"
               "  (the URL Standard). An argument without a scheme gets \"error\"; one with a\n"
               "  scheme whose host cannot be read soundly is suspicious. A URL that starts\n"
               "  with \"-\" goes after \"--\".\n"
               "  理由 (REASON) / Reasons:\n"
               "%4"
               "  既定では、ブラウザと同じく購読中のブロックリストでも判定します。リストは\n"
               "  ブラウザのデータフォルダから読むだけで、ダウンロードも書き込みもしません。\n"
               "  By default the subscribed block lists count too, as in the browser. They are\n"
               "  read from the browser's data folder; nothing is downloaded or written.\n"
               "  --subscription FILE\n"
               "    uBlacklist 形式のリスト FILE も加えて判定します (この実行のみ、繰り返し可)。\n"
               "    FILE が読めない・ルールがないときは使い方の誤りです。\n"
               "    Also judges with the uBlacklist list FILE, for this run only; may be given\n"
               "    more than once. A FILE that cannot be read or holds no rules is wrong usage.\n"
               "  --no-subscriptions\n"
               "    購読したブロックリスト (組み込みのリストも) を使わずに判定します。\n"
               "    --subscription のファイルは使います。\n"
               "    Judges without the subscribed block lists, the built-in one included;\n"
               "    files given with --subscription still count.\n"
               "\n"
               "--search QUERY\n"
               "  検索バーが開く検索アドレスを1行出力します。アドレスが作れないとき (空の検索語、\n"
               "  使えないショップの検索テンプレート) は標準出力に何も出さず、標準エラーに理由を\n"
               "  出します。\n"
               "  Prints the search address the search bar would open. When there is none "
               "(a blank\n"
               "  query, an unusable shop search template), prints nothing on standard "
               "output\n"
               "  and the reason on standard error.\n"
               "  --mode RAW     検索モード / filter mode: %1\n"
               "                 (省略時は保存済みの設定 / default: the stored one)\n"
               "  --engine RAW   検索エンジン / search engine: %2\n"
               "                 (省略時は保存済みの設定 / default: the stored one)\n"
               "  --shop NAME    その名前と完全に一致する最初の認定ショップ (directShopSearch で"
               "使用)\n"
               "                 the first certified shop with exactly that name (used by "
               "directShopSearch)\n"
               "\n"
               "終了ステータス / Exit status:\n"
               "  2  使い方の誤り、またはスキームのない (アドレスでない) 引数がある\n"
               "     wrong usage, or an argument that is no address (it has no scheme)\n"
               "  1  疑わしい (suspicious) 判定がある、または検索アドレスを作れない\n"
               "     a suspicious verdict, or no search address could be built\n"
               "  0  それ以外 (caution を含む) / otherwise (caution included)\n"
               "\n"
               "環境変数 / Environment:\n"
               "  %3=FILE\n"
               "    ブラウザの設定ファイルの代わりに FILE のルールを読みます (読むだけ)。\n"
               "    未設定ならブラウザ本体の設定を読みます。\n"
               "    Reads the rules from FILE instead of the browser's settings file (read "
               "only).\n"
               "    Unset, the browser's own settings are read.\n")
        .arg(modes, engines, QLatin1String(settingsFileVariable), reasons);
}
