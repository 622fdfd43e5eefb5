#pragma once

#include "address/DomainKey.h"
#include "blocklist/RegExpLiteral.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <memory>
#include <vector>

// A block list in the uBlacklist format, parsed once and never changed, so one
// copy serves every window:
// - "*://*.example.com/*", "*://example.com/path/*", "https://..." patterns;
// - "/regular expressions/flags" held against the whole address;
// - "@" before either unblocks, wherever the line stands;
// - "#" comments, the "# Title:" line, a "name:" front matter.
// Lines the extension would ignore are skipped and counted; one never costs
// the rest of the list. A pattern whose host is a public suffix ("*.co.il")
// would block a whole country's or platform's sites and is skipped as well.
//
// Every pattern sits in a hash under its host, so judging an address costs one
// probe per label of its host whatever the list's size. Regular expressions
// have no host to file them under: they cost one PCRE2 run per 64 of them.
class BlockList
{
public:
    enum class PublicSuffixEntries { Skip, Keep };
    enum class Verdict { None, Blocked, Unblocked };
    enum class Problem {
        Malformed, // not a rule the format knows
        Unsupported, // a rule for search pages only, or another scheme
        InvalidRegularExpression, // bad syntax, unknown flag, construct JavaScript rejects
        TooLong,
        InvalidText, // not UTF-8, or control characters
        // "@*://*/*": an unblock naming no site would lift every list's
        // blocks, the built-in list's too.
        UnblocksAnySite,
    };

    struct Match
    {
        // Unblocked as soon as an "@" rule that names a site matches, blocked
        // or not: an "@" in one list lifts what another list blocks.
        Verdict verdict = Verdict::None;
        int line = 0; // 1-based line of the rule that decided; 0 for none
        QString rule; // that rule as written, without its comment
        // A block by a rule that names no site ("*://*/*?ref=*", or an
        // expression that matches the address on any host): it says
        // something about the address, nothing about who runs the site.
        bool anySite = false;
    };
    struct SkippedLine
    {
        int line = 0;
        Problem problem = Problem::Malformed;
        friend bool operator==(const SkippedLine &, const SkippedLine &) = default;
    };
    struct PublicSuffixEntry
    {
        int line = 0;
        QString host;
        friend bool operator==(const PublicSuffixEntry &, const PublicSuffixEntry &) = default;
    };

    // Lines longer than this are skipped unread.
    static constexpr qsizetype maxLineLength = 16 * 1024;
    // Skipped lines past this many are counted, not listed.
    static constexpr int maxListedSkips = 1000;

    // Keep is for the user's own patterns written back as a list, which may
    // name a whole top-level domain on purpose.
    static std::shared_ptr<const BlockList>
    parse(QByteArrayView utf8, PublicSuffixEntries entries = PublicSuffixEntries::Skip);

    ~BlockList();
    BlockList(const BlockList &) = delete;
    BlockList &operator=(const BlockList &) = delete;

    // asciiHost: the address's host in lower-case ASCII (punycode) without a
    // trailing dot, as the safety engine already holds it.
    Match match(const QUrl &url, QStringView asciiHost) const;
    Match match(const QUrl &url) const;

    // From the front matter's "name:" or else the first "# Title:" line.
    const QString &title() const { return m_title; }
    int ruleCount() const
    {
        return int(m_hostRules.size() + m_blockExpressions.size() + m_unblockExpressions.size());
    }
    int lineCount() const { return m_lineCount; }
    int skippedLineCount() const { return m_skippedLineCount; }
    // In line order, the first maxListedSkips of them.
    const QList<SkippedLine> &skippedLines() const { return m_skippedLines; }
    const QList<PublicSuffixEntry> &publicSuffixEntries() const { return m_publicSuffixEntries; }

private:
    BlockList() = default;
    class Builder;

    struct HostRule
    {
        quint32 textOffset = 0;
        quint32 textLength = 0;
        quint32 pathOffset = 0;
        quint32 pathLength = 0;
        qint32 line = 0;
        qint32 next = -1; // the next rule under the same host
        quint8 schemes = 0;
        bool includesSubdomains = false;
        bool unblocks = false;
        bool matchesAnyPath = false;
    };
    struct ExpressionRule
    {
        RegExpLiteral expression;
        quint32 textOffset = 0;
        quint32 textLength = 0;
        qint32 line = 0;
    };

    // Expressions are tried in groups: one run of a group's combined form
    // rules out all its members on an address none of them matches.
    struct ExpressionGroup
    {
        QRegularExpression anyOf; // unused for a group of one
        std::vector<quint32> members;
    };

    static const ExpressionRule *firstMatch(const std::vector<ExpressionRule> &rules,
                                            const std::vector<ExpressionGroup> &groups,
                                            const QString &address);
    Match matchOf(const HostRule &rule) const;
    Match matchOf(const ExpressionRule &rule) const;

    // Rule texts, paths and hosts, back to back. The index keys point into
    // it without owning it, so it is declared first and goes last.
    QString m_text;
    std::vector<HostRule> m_hostRules;
    QHash<DomainKey, qint32> m_hostIndex;
    qint32 m_anyHostRule = -1;
    std::vector<ExpressionRule> m_blockExpressions;
    std::vector<ExpressionRule> m_unblockExpressions;
    std::vector<ExpressionGroup> m_blockGroups;
    std::vector<ExpressionGroup> m_unblockGroups;
    // Host keys have between these many labels; others need no probe.
    int m_fewestKeyLabels = 0;
    int m_mostKeyLabels = 0;

    QString m_title;
    int m_lineCount = 0;
    int m_skippedLineCount = 0;
    QList<SkippedLine> m_skippedLines;
    QList<PublicSuffixEntry> m_publicSuffixEntries;
};
