#include "blocklist/BlockList.h"

#include "address/DirectionControls.h"
#include "address/PublicSuffixList.h"
#include "blocklist/MatchPattern.h"

#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Offsets into the text arena are 32-bit; lists are capped far below this
// by whoever downloads them.
constexpr qsizetype maxListSize = qsizetype(1) << 30;
constexpr qsizetype maxTitleLength = 200;

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == 0x3000 || c == 0xfeff;
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

// What may follow a rule on its line: nothing, or a "#" comment.
bool isCommentOrNothing(QStringView rest)
{
    const QStringView tail = trimmed(rest);
    return tail.isEmpty() || tail.startsWith(u'#');
}

bool hasControlCharacter(QByteArrayView line)
{
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7f)
            return true;
    }
    return false;
}

int labelCount(QStringView host)
{
    return int(host.count(u'.')) + 1;
}

bool isAsciiUpper(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool isAscii(QByteArrayView line)
{
    for (const char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// "# Title: Fake shops" -> "Fake shops"; empty when the comment is no title.
QString titleFromComment(QStringView comment)
{
    const QStringView text = trimmed(comment.sliced(1));
    if (!text.startsWith(u"title:", Qt::CaseInsensitive))
        return QString();
    return DirectionControls::removed(trimmed(text.sliced(6)).left(maxTitleLength).toString());
}

QString frontMatterValue(QStringView value)
{
    QStringView text = trimmed(value);
    if (text.size() >= 2
        && ((text.front() == u'"' && text.back() == u'"')
            || (text.front() == u'\'' && text.back() == u'\''))) {
        text = text.sliced(1, text.size() - 2);
    }
    return DirectionControls::removed(text.left(maxTitleLength).toString());
}

bool isExpressionRule(QStringView text)
{
    // Rules such as 'title *= "..."' or '$site="google"' judge search result
    // pages, which a browser's navigation does not have.
    static constexpr QStringView keywords[] = {u"url", u"title", u"scheme", u"host", u"path"};
    if (text.startsWith(u'$') || text.startsWith(u'!') || text.startsWith(u'('))
        return true;
    for (const QStringView keyword : keywords) {
        if (!text.startsWith(keyword, Qt::CaseSensitive))
            continue;
        const QStringView rest = trimmed(text.sliced(keyword.size()));
        if (rest.startsWith(u'=') || rest.startsWith(u'^') || rest.startsWith(u'$')
            || rest.startsWith(u'*') || rest.startsWith(u'/'))
            return true;
    }
    return false;
}

// The address as page scripts see it, which is what list authors write their
// expressions for: encoded, the host in ASCII, "/" for an empty path. Built
// from the host at hand, as QUrl would convert its own to ASCII again.
QString addressText(const QUrl &url, QStringView asciiHost)
{
    const QString path = url.path(QUrl::FullyEncoded);
    QString text;
    text.reserve(asciiHost.size() + path.size() + 64);
    text += url.scheme() + "://"_L1;
    const QString userInfo = url.userInfo(QUrl::FullyEncoded);
    if (!userInfo.isEmpty())
        text += userInfo + u'@';
    text += asciiHost;
    if (url.port() >= 0)
        text += u':' + QString::number(url.port());
    text += path.isEmpty() ? u"/"_s : path;
    if (url.hasQuery())
        text += u'?' + url.query(QUrl::FullyEncoded);
    if (url.hasFragment())
        text += u'#' + url.fragment(QUrl::FullyEncoded);
    return text;
}

} // namespace

class BlockList::Builder
{
public:
    Builder(BlockList &list, PublicSuffixEntries entries)
        : m_list(list)
        , m_entries(entries)
        , m_suffixes(PublicSuffixList::system())
    { }

    void read(QByteArrayView utf8)
    {
        if (utf8.startsWith("\xEF\xBB\xBF"))
            utf8 = utf8.sliced(3);
        if (utf8.size() > maxListSize) {
            m_list.m_lineCount = 1;
            skip(1, Problem::TooLong);
            return;
        }
        // Rules are most of a list, kept as written; hosts rarely need copies.
        m_list.m_text.reserve(utf8.size() + 1024);
        // About one rule per 24 bytes in real lists; a guess, not a limit.
        m_list.m_hostRules.reserve(size_t(utf8.size() / 24));
        m_hostKeys.reserve(size_t(utf8.size() / 24));

        int line = 0;
        qsizetype position = 0;
        while (position < utf8.size()) {
            const QByteArrayView bytes = nextLine(utf8, &position);
            ++line;
            if (line == 1 && bytes.trimmed() == "---")
                readFrontMatter(utf8.sliced(position), &position, &line);
            else
                readLine(line, bytes);
        }
        m_list.m_lineCount = line;
        buildIndex();
        group(m_list.m_blockExpressions, m_list.m_blockGroups);
        group(m_list.m_unblockExpressions, m_list.m_unblockGroups);
    }

private:
    // Lines end in "\n", "\r\n" or a lone "\r", as text editors read them.
    static QByteArrayView nextLine(QByteArrayView text, qsizetype *position)
    {
        const qsizetype begin = *position;
        qsizetype end = begin;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        *position = std::min(text.size(), end + (text.sliced(end).startsWith("\r\n") ? 2 : 1));
        return text.sliced(begin, end - begin);
    }

    // "---" / "name: ..." / "---" at the very top, as the extension's own
    // lists name themselves. Without a closing "---" it is no front matter
    // and the lines are read as rules.
    void readFrontMatter(QByteArrayView rest, qsizetype *position, int *line)
    {
        qsizetype offset = 0;
        int lines = 0;
        QString name;
        while (offset < rest.size()) {
            const QByteArrayView bytes = nextLine(rest, &offset).trimmed();
            ++lines;
            if (bytes == "---") {
                if (!name.isEmpty())
                    m_list.m_title = name;
                *position += offset;
                *line += lines;
                return;
            }
            if (bytes.startsWith("name:") && name.isEmpty() && !hasControlCharacter(bytes))
                name = frontMatterValue(QString::fromUtf8(bytes.sliced(5)));
        }
        readLine(*line, "---");
    }

    void readLine(int line, QByteArrayView bytes)
    {
        if (bytes.size() > maxLineLength) {
            skip(line, Problem::TooLong);
            return;
        }
        if (hasControlCharacter(bytes)) {
            skip(line, Problem::InvalidText);
            return;
        }
        if (isAscii(bytes)) {
            m_buffer.resize(bytes.size());
            QChar *out = m_buffer.data();
            for (const char c : bytes)
                *out++ = QLatin1Char(c);
        } else {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            m_buffer = decoder.decode(bytes);
            if (decoder.hasError()) {
                skip(line, Problem::InvalidText);
                return;
            }
        }
        readRule(line, trimmed(m_buffer));
    }

    void readRule(int line, QStringView text)
    {
        if (text.isEmpty())
            return;
        if (text.startsWith(u'#')) {
            if (m_list.m_title.isEmpty())
                m_list.m_title = titleFromComment(text);
            return;
        }
        const bool unblocks = text.startsWith(u'@');
        if (unblocks && text.size() > 1 && text[1].isDigit())
            return; // "@1..." highlights search results; nothing to block or lift
        const QStringView rule = unblocks ? text.sliced(1) : text;
        if (rule.startsWith(u'/'))
            readExpression(line, text, rule, unblocks);
        else
            readPattern(line, text, rule, unblocks);
    }

    void readExpression(int line, QStringView text, QStringView rule, bool unblocks)
    {
        qsizetype length = 0;
        RegExpLiteral::Error error;
        auto expression = RegExpLiteral::parse(rule, &length, &error);
        if (!expression) {
            skip(line,
                 error == RegExpLiteral::Error::NotALiteral
                         || error == RegExpLiteral::Error::Malformed
                     ? Problem::Malformed
                     : Problem::InvalidRegularExpression);
            return;
        }
        if (!isCommentOrNothing(rule.sliced(length))) {
            // "/^https?://example\.com//": the first unescaped "/" ended it.
            skip(line, Problem::Malformed);
            return;
        }
        const qsizetype written = (unblocks ? 1 : 0) + length;
        ExpressionRule stored {std::move(*expression), append(text.first(written)),
                               quint32(written), line};
        (unblocks ? m_list.m_unblockExpressions : m_list.m_blockExpressions)
            .push_back(std::move(stored));
    }

    void readPattern(int line, QStringView text, QStringView rule, bool unblocks)
    {
        qsizetype end = 0;
        while (end < rule.size() && !isBlank(rule[end].unicode()) && rule[end] != u'#')
            ++end;
        const QStringView token = rule.first(end);
        const QStringView rest = rule.sliced(end);
        if (!isCommentOrNothing(rest)) {
            const bool guarded = trimmed(rest).startsWith(u"@if");
            skip(line,
                 guarded || isExpressionRule(rule) ? Problem::Unsupported : Problem::Malformed);
            return;
        }
        MatchPattern::Error error;
        const auto pattern = MatchPattern::parse(token, &error);
        if (!pattern) {
            const bool unsupported
                = error == MatchPattern::Error::UnsupportedScheme || isExpressionRule(rule);
            skip(line, unsupported ? Problem::Unsupported : Problem::Malformed);
            return;
        }
        if (unblocks && pattern->matchesAnyHost()) {
            skip(line, Problem::UnblocksAnySite);
            return;
        }
        if (!pattern->matchesAnyHost() && m_entries == PublicSuffixEntries::Skip
            && m_suffixes.isPublicSuffix(pattern->host())) {
            m_list.m_publicSuffixEntries.append({line, pattern->host()});
            return;
        }

        const qsizetype written = (unblocks ? 1 : 0) + end;
        HostRule stored;
        stored.textOffset = append(text.first(written));
        stored.textLength = quint32(written);
        stored.line = line;
        stored.schemes = pattern->schemes();
        stored.includesSubdomains = pattern->includesSubdomains();
        stored.unblocks = unblocks;
        stored.matchesAnyPath = pattern->matchesAnyPath();
        // Path and host usually stand in the rule as written; only a host
        // in capitals or Unicode, or a path in Unicode, needs a copy.
        if (!stored.matchesAnyPath) {
            stored.pathOffset = textOrCopy(text.first(written), stored.textOffset, pattern->path());
            stored.pathLength = quint32(pattern->path().size());
        }
        HostKey key {0, 0};
        if (!pattern->matchesAnyHost()) {
            key.offset = textOrCopy(text.first(written), stored.textOffset, pattern->host());
            key.length = quint32(pattern->host().size());
        }
        m_list.m_hostRules.push_back(stored);
        m_hostKeys.push_back(key);
    }

    quint32 textOrCopy(QStringView written, quint32 writtenOffset, const QString &part)
    {
        const qsizetype found = written.indexOf(part);
        return found >= 0 ? writtenOffset + quint32(found) : append(part);
    }

    quint32 append(QStringView text)
    {
        const auto offset = quint32(m_list.m_text.size());
        m_list.m_text.append(text);
        return offset;
    }

    void skip(int line, Problem problem)
    {
        ++m_list.m_skippedLineCount;
        if (m_list.m_skippedLines.size() < maxListedSkips)
            m_list.m_skippedLines.append({line, problem});
    }

    // Keys are views into the finished text, so they cost no memory of their
    // own; the text never changes after this.
    void buildIndex()
    {
        m_list.m_text.squeeze();
        m_list.m_hostRules.shrink_to_fit();
        m_list.m_hostIndex.reserve(qsizetype(m_list.m_hostRules.size()));
        const QChar *text = m_list.m_text.constData();
        for (qsizetype index = qsizetype(m_list.m_hostRules.size()) - 1; index >= 0; --index) {
            HostRule &rule = m_list.m_hostRules[size_t(index)];
            const HostKey key = m_hostKeys[size_t(index)];
            if (key.length == 0) {
                rule.next = m_list.m_anyHostRule;
                m_list.m_anyHostRule = qint32(index);
                continue;
            }
            // Stored one up, so that a new key's 0 reads as "no rule yet".
            const QStringView host(text + key.offset, key.length);
            qint32 &first = m_list.m_hostIndex[host];
            rule.next = first - 1;
            first = qint32(index) + 1;
            const int labels = labelCount(host);
            m_list.m_fewestKeyLabels = m_list.m_fewestKeyLabels == 0
                ? labels
                : std::min(m_list.m_fewestKeyLabels, labels);
            m_list.m_mostKeyLabels = std::max(m_list.m_mostKeyLabels, labels);
        }
    }

    static void group(const std::vector<ExpressionRule> &rules,
                      std::vector<ExpressionGroup> &groups)
    {
        // Small enough that PCRE2 compiles each group quickly and one
        // runaway member can hide few others.
        constexpr size_t groupSize = 64;
        QList<const RegExpLiteral *> literals;
        std::vector<quint32> members;
        const auto close = [&] {
            QRegularExpression anyOf;
            if (members.size() > 1)
                anyOf = RegExpLiteral::anyOf(literals);
            if (members.size() > 1 && !anyOf.isValid()) {
                for (const quint32 member : members)
                    groups.push_back({QRegularExpression(), {member}});
            } else if (!members.empty()) {
                groups.push_back({anyOf, members});
            }
            literals.clear();
            members.clear();
        };
        for (size_t index = 0; index < rules.size(); ++index) {
            if (!rules[index].expression.canShareARun()) {
                groups.push_back({QRegularExpression(), {quint32(index)}});
                continue;
            }
            literals.append(&rules[index].expression);
            members.push_back(quint32(index));
            if (members.size() == groupSize)
                close();
        }
        close();
    }

    struct HostKey
    {
        quint32 offset;
        quint32 length;
    };

    BlockList &m_list;
    const PublicSuffixEntries m_entries;
    const PublicSuffixList &m_suffixes;
    std::vector<HostKey> m_hostKeys;
    QString m_buffer;
};

std::shared_ptr<const BlockList> BlockList::parse(QByteArrayView utf8, PublicSuffixEntries entries)
{
    std::shared_ptr<BlockList> list(new BlockList);
    Builder(*list, entries).read(utf8);
    return list;
}

BlockList::~BlockList() = default;

BlockList::Match BlockList::match(const QUrl &url) const
{
    QString host = url.host(QUrl::FullyEncoded).toLower();
    if (host.endsWith(u'.'))
        host.chop(1);
    return match(url, host);
}

BlockList::Match BlockList::match(const QUrl &url, QStringView asciiHost) const
{
    const QString scheme = url.scheme();
    const quint8 schemeBit = scheme == "https"_L1 ? MatchPattern::Https
        : scheme == "http"_L1                     ? MatchPattern::Http
                                                  : 0;

    // Path and query, as patterns see them: built only when a rule has a path.
    QString pathAndQuery;
    const auto pathSubject = [&]() -> const QString & {
        if (pathAndQuery.isEmpty()) {
            pathAndQuery = url.path(QUrl::FullyEncoded);
            if (pathAndQuery.isEmpty())
                pathAndQuery = u"/"_s;
            if (url.hasQuery())
                pathAndQuery += u'?' + url.query(QUrl::FullyEncoded);
        }
        return pathAndQuery;
    };

    const HostRule *blocking = nullptr;
    const HostRule *unblocking = nullptr;
    bool blocksAnySite = false;
    const auto visit = [&](qint32 index, bool wholeHost) {
        for (; index >= 0 && !unblocking; index = m_hostRules[size_t(index)].next) {
            const HostRule &rule = m_hostRules[size_t(index)];
            if (!(rule.schemes & schemeBit) || (!wholeHost && !rule.includesSubdomains))
                continue;
            if (!rule.matchesAnyPath
                && !MatchPattern::globMatches(
                    QStringView(m_text).sliced(rule.pathOffset, rule.pathLength), pathSubject()))
                continue;
            if (rule.unblocks)
                unblocking = &rule;
            else if (!blocking)
                blocking = &rule;
        }
    };

    if (schemeBit != 0) {
        if (!m_hostIndex.isEmpty()) {
            QVarLengthArray<QChar, 256> lower;
            QStringView host = asciiHost;
            if (host.endsWith(u'.'))
                host.chop(1);
            if (std::any_of(host.begin(), host.end(), isAsciiUpper)) {
                for (const QChar c : host)
                    lower.append(isAsciiUpper(c) ? QChar(c.unicode() + 32) : c);
                host = QStringView(lower.constData(), lower.size());
            }
            // The host itself, then each parent: "a.shop.example" asks for
            // "a.shop.example", "shop.example" and "example", skipping those
            // with more or fewer labels than any key has.
            int labels = labelCount(host);
            for (qsizetype from = 0;
                 from < host.size() && labels >= m_fewestKeyLabels && !unblocking; --labels) {
                if (labels <= m_mostKeyLabels) {
                    const QStringView key = host.sliced(from);
                    const auto found = m_hostIndex.constFind(key);
                    if (found != m_hostIndex.cend())
                        visit(*found - 1, from == 0);
                }
                const qsizetype dot = host.indexOf(u'.', from);
                if (dot < 0)
                    break;
                from = dot + 1;
            }
        }
        const HostRule *named = blocking;
        visit(m_anyHostRule, true);
        blocksAnySite = !named && blocking;
    }
    if (unblocking)
        return matchOf(*unblocking);

    QString address;
    const auto addressSubject = [&]() -> const QString & {
        if (address.isEmpty())
            address = addressText(url, asciiHost);
        return address;
    };
    // An expression that would match the address on any host names no site.
    const auto namesNoSite = [&](const ExpressionRule &rule) {
        return rule.expression.matches(addressText(url, u"any-site.invalid"));
    };
    if (!m_unblockGroups.empty()) {
        const ExpressionRule *rule
            = firstMatch(m_unblockExpressions, m_unblockGroups, addressSubject());
        if (rule && !namesNoSite(*rule))
            return matchOf(*rule);
    }
    if (blocking) {
        Match found = matchOf(*blocking);
        found.anySite = blocksAnySite;
        return found;
    }
    if (!m_blockGroups.empty()) {
        if (const ExpressionRule *rule
            = firstMatch(m_blockExpressions, m_blockGroups, addressSubject())) {
            Match found = matchOf(*rule);
            found.anySite = namesNoSite(*rule);
            return found;
        }
    }
    return Match();
}

const BlockList::ExpressionRule *BlockList::firstMatch(const std::vector<ExpressionRule> &rules,
                                                       const std::vector<ExpressionGroup> &groups,
                                                       const QString &address)
{
    for (const ExpressionGroup &group : groups) {
        if (group.members.size() > 1 && !group.anyOf.match(address).hasMatch())
            continue;
        for (const quint32 member : group.members) {
            if (rules[member].expression.matches(address))
                return &rules[member];
        }
    }
    return nullptr;
}

BlockList::Match BlockList::matchOf(const HostRule &rule) const
{
    return Match {rule.unblocks ? Verdict::Unblocked : Verdict::Blocked, rule.line,
                  m_text.sliced(rule.textOffset, rule.textLength)};
}

BlockList::Match BlockList::matchOf(const ExpressionRule &rule) const
{
    const QString text = m_text.sliced(rule.textOffset, rule.textLength);
    return Match {text.startsWith(u'@') ? Verdict::Unblocked : Verdict::Blocked, rule.line, text};
}
