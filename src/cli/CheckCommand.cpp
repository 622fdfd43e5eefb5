#include "cli/CheckCommand.h"

#include "prefs/ReadOnlyPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/WebAddress.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <QUrl>

#include <optional>

struct CheckCommand::Options
{
    bool help = false;
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

// An absolute address is what QUrl accepts in strict mode and that names a
// scheme; "www.example.com" (relative) and "http://a b/" (invalid) are not.
std::optional<QUrl> absoluteAddress(const QString &argument)
{
    const QUrl url(argument, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
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

CheckCommand::CheckCommand(const PreferencesStore &preferences, QTextStream &out, QTextStream &err)
    : m_preferences(preferences)
    , m_out(out)
    , m_err(err)
{ }

CheckCommand::Options CheckCommand::parse(const QStringList &arguments)
{
    Options options;
    const QList<std::pair<QString, std::optional<QString> Options::*>> valueOptions = {
        {QStringLiteral("--search"), &Options::search},
        {QStringLiteral("--mode"), &Options::mode},
        {QStringLiteral("--engine"), &Options::engine},
        {QStringLiteral("--shop"), &Options::shop},
    };

    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            options.addresses.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
            continue;
        }

        bool known = false;
        for (const auto &[name, member] : valueOptions) {
            std::optional<QString> value;
            if (argument == name) {
                if (i + 1 >= arguments.size()) {
                    options.setError(name + QStringLiteral(" には値が必要です。"),
                                     name + QStringLiteral(" needs a value."));
                } else {
                    // The next argument is the value even when it starts with
                    // "-": a query may well do so.
                    value = arguments.at(++i);
                }
            } else if (argument.startsWith(name + u'=')) {
                value = argument.mid(name.size() + 1);
            } else {
                continue;
            }
            known = true;
            if (value) {
                if (options.*member) {
                    options.setError(name + QStringLiteral(" が2回指定されています。"),
                                     name + QStringLiteral(" is given twice."));
                }
                options.*member = value;
            }
            break;
        }
        if (!known) {
            options.setError(QStringLiteral("不明なオプション: ") + argument,
                             QStringLiteral("Unknown option: ") + argument);
        }
    }
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
    return checkAddresses(options.addresses);
}

int CheckCommand::checkAddresses(const QStringList &addresses)
{
    ReadOnlyPreferencesStore preferences(m_preferences);
    const SecurityRuleStore rules(preferences);
    const SafeBrowsingEngine engine;

    bool anyNotAbsolute = false;
    bool anySuspicious = false;
    for (const QString &argument : addresses) {
        const std::optional<QUrl> url = absoluteAddress(argument);
        if (!url) {
            anyNotAbsolute = true;
            m_out << resultLine(argument,
                                QStringLiteral("\"error\":")
                                    + jsonText(QStringLiteral("絶対アドレスではありません / not an "
                                                              "absolute address")))
                  << u'\n';
            continue;
        }
        const SafetyLevel level = engine.evaluateSafety(*url, rules);
        anySuspicious = anySuspicious || level.isSuspicious();
        m_out << verdictLine(argument, level) << u'\n';
    }
    m_out.flush();

    if (anyNotAbsolute)
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
    return QStringLiteral(
               "使い方 / Usage:\n"
               "  velmora-check URL...\n"
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
               "    {\"url\":URL,\"verdict\":\"neutral\",\"domain\":HOST}\n"
               "    {\"url\":URL,\"error\":MESSAGE}\n"
               "  \"url\" は指定したままの引数です。絶対アドレス (スキームを持ち、厳密な解析に\n"
               "  通るアドレス) でない引数には \"error\" が付きます。\n"
               "  \"url\" is the argument as given. An argument that is not an absolute "
               "address\n"
               "  (one with a scheme that parses strictly, so no spaces or stray characters)\n"
               "  gets \"error\". A URL that starts with \"-\" goes after \"--\".\n"
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
               "  2  使い方の誤り、または絶対アドレスでない引数がある\n"
               "     wrong usage, or an argument that is not an absolute address\n"
               "  1  疑わしい (suspicious) 判定がある、または検索アドレスを作れない\n"
               "     a suspicious verdict, or no search address could be built\n"
               "  0  それ以外 / otherwise\n"
               "\n"
               "環境変数 / Environment:\n"
               "  %3=FILE\n"
               "    ブラウザの設定ファイルの代わりに FILE のルールを読みます (読むだけ)。\n"
               "    未設定ならブラウザ本体の設定を読みます。\n"
               "    Reads the rules from FILE instead of the browser's settings file (read "
               "only).\n"
               "    Unset, the browser's own settings are read.\n")
        .arg(modes, engines, QLatin1String(settingsFileVariable));
}
