#include "blocklist/RegExpLiteral.h"

using namespace Qt::StringLiterals;

namespace {

// A few milliseconds of backtracking at most; the limit ends a runaway match
// as "no match" instead of freezing navigation.
constexpr auto matchLimitVerb = "(*LIMIT_MATCH=1000000)"_L1;

bool isLineTerminator(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isIdentifierPart(char16_t c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'_' || c == u'$';
}

qsizetype hexRun(QStringView text, qsizetype from, qsizetype atMost)
{
    qsizetype end = from;
    while (end < text.size() && end - from < atMost && isHexDigit(text[end].unicode()))
        ++end;
    return end - from;
}

// The letters JavaScript gives a meaning after "\"; PCRE2 gives meanings to
// others ("\A", "\Q", "\K", "\R" ...) that JavaScript reads as the plain letter.
bool isJavaScriptEscapeLetter(char16_t c, bool unicode)
{
    return QStringView(u"dDwWsSbBfnrtvck").contains(QChar(c))
        || (unicode && (c == u'p' || c == u'P'));
}

struct Translation
{
    QString pattern;
    qsizetype end = 0; // index of the closing "/"
    bool ok = false;
    bool malformed = false;
    bool numbersGroups = false; // back-references or named groups
};

// Walks the body once, finding its end as a JavaScript lexer would (a "/"
// inside a character class does not end it) and writing the PCRE2 form.
Translation translate(QStringView text, bool unicode)
{
    Translation result;
    QString &out = result.pattern;
    out.reserve(text.size() + 8);
    bool inClass = false;
    qsizetype i = 1;
    while (i < text.size()) {
        const char16_t c = text[i].unicode();
        if (isLineTerminator(c)) {
            result.malformed = true;
            return result;
        }
        if (c == u'\\') {
            if (i + 1 >= text.size() || isLineTerminator(text[i + 1].unicode())) {
                result.malformed = true;
                return result;
            }
            const char16_t next = text[i + 1].unicode();
            if (next == u'u') {
                if (unicode && i + 2 < text.size() && text[i + 2] == u'{') {
                    const qsizetype digits = hexRun(text, i + 3, 6);
                    if (digits == 0 || i + 3 + digits >= text.size()
                        || text[i + 3 + digits] != u'}')
                        return result;
                    out.append("\\x{"_L1).append(text.sliced(i + 3, digits)).append(u'}');
                    i += 4 + digits;
                } else if (hexRun(text, i + 2, 4) == 4) {
                    out.append("\\x{"_L1).append(text.sliced(i + 2, 4)).append(u'}');
                    i += 6;
                } else if (unicode) {
                    return result;
                } else {
                    out.append(u'u');
                    i += 2;
                }
                continue;
            }
            if (next == u'x') {
                if (hexRun(text, i + 2, 2) == 2) {
                    out.append(text.sliced(i, 4));
                    i += 4;
                } else if (unicode) {
                    return result;
                } else {
                    out.append(u'x');
                    i += 2;
                }
                continue;
            }
            if (!inClass && ((next >= u'1' && next <= u'9') || next == u'k'))
                result.numbersGroups = true;
            if (isAsciiLetter(next) && !isJavaScriptEscapeLetter(next, unicode)) {
                if (unicode)
                    return result;
                out.append(QChar(next));
                i += 2;
                continue;
            }
            out.append(text.sliced(i, 2));
            i += 2;
            continue;
        }
        if (inClass) {
            if (c == u']')
                inClass = false;
            // PCRE2 would read "[:alpha:]" inside a class as a POSIX class.
            out.append(c == u'[' ? u"\\["_s : QString(QChar(c)));
            ++i;
            continue;
        }
        if (c == u'/') {
            result.end = i;
            result.ok = true;
            return result;
        }
        if (c == u'[') {
            const QStringView after = text.sliced(i + 1);
            if (after.startsWith(u']')) {
                out.append("(?!)"_L1); // JavaScript's empty class matches nothing
                i += 2;
            } else if (after.startsWith(u"^]")) {
                out.append("[\\s\\S]"_L1); // and its negation anything
                i += 3;
            } else {
                inClass = true;
                out.append(u'[');
                ++i;
                if (i < text.size() && text[i] == u'^') {
                    out.append(u'^');
                    ++i;
                }
            }
            continue;
        }
        if (c == u'(' && i + 1 < text.size()) {
            const QStringView after = text.sliced(i + 1);
            if (after.startsWith(u'*'))
                return result;
            if (after.startsWith(u'?')) {
                const bool javaScriptGroup = after.startsWith(u"?:") || after.startsWith(u"?=")
                    || after.startsWith(u"?!") || after.startsWith(u"?<=")
                    || after.startsWith(u"?<!")
                    || (after.startsWith(u"?<") && after.size() > 2
                        && (isAsciiLetter(after[2].unicode()) || after[2] == u'_'
                            || after[2] == u'$'));
                if (!javaScriptGroup)
                    return result;
                if (after.startsWith(u"?<") && !after.startsWith(u"?<=")
                    && !after.startsWith(u"?<!"))
                    result.numbersGroups = true;
            }
        }
        out.append(QChar(c));
        ++i;
    }
    result.malformed = true; // no closing "/"
    return result;
}

} // namespace

std::optional<RegExpLiteral> RegExpLiteral::parse(QStringView text, qsizetype *length, Error *error)
{
    Error ignored;
    Error &failure = error ? *error : ignored;
    failure = Error::NotALiteral;
    // "//" and "/*" open JavaScript comments, never expressions.
    if (text.size() < 3 || text[0] != u'/' || text[1] == u'/' || text[1] == u'*')
        return std::nullopt;
    if (text.size() > maxLength) {
        failure = Error::Invalid;
        return std::nullopt;
    }

    // The flags come after the body, but "u" changes how the body reads:
    // find the end once without it, then translate for good.
    const Translation probe = translate(text, false);
    if (!probe.ok) {
        failure = probe.malformed ? Error::Malformed : Error::Invalid;
        return std::nullopt;
    }
    qsizetype end = probe.end + 1;
    while (end < text.size() && isIdentifierPart(text[end].unicode()))
        ++end;
    const QStringView flags = text.sliced(probe.end + 1, end - probe.end - 1);

    QRegularExpression::PatternOptions options;
    QRegularExpression::MatchOptions matchOptions;
    bool unicode = false;
    QString seen;
    for (const QChar flag : flags) {
        if (seen.contains(flag)) {
            failure = Error::UnsupportedFlag;
            return std::nullopt;
        }
        seen.append(flag);
        switch (flag.unicode()) {
        case u'i':
            options |= QRegularExpression::CaseInsensitiveOption;
            break;
        case u'm':
            options |= QRegularExpression::MultilineOption;
            break;
        case u's':
            options |= QRegularExpression::DotMatchesEverythingOption;
            break;
        case u'u':
            unicode = true;
            break;
        case u'y':
            matchOptions |= QRegularExpression::AnchorAtOffsetMatchOption;
            break;
        case u'g':
        case u'd':
            break; // no bearing on a yes-or-no test
        default: // "v" (class set notation) has no PCRE2 counterpart
            failure = Error::UnsupportedFlag;
            return std::nullopt;
        }
    }

    const Translation translation = unicode ? translate(text, true) : probe;
    if (!translation.ok || translation.end != probe.end) {
        failure = Error::Invalid;
        return std::nullopt;
    }
    RegExpLiteral literal;
    literal.m_expression = QRegularExpression(matchLimitVerb + translation.pattern, options);
    literal.m_matchOptions = matchOptions;
    literal.m_body = translation.pattern;
    literal.m_canShareARun
        = !translation.numbersGroups && matchOptions == QRegularExpression::NoMatchOption;
    if (!literal.m_expression.isValid()) {
        failure = Error::Invalid;
        return std::nullopt;
    }
    literal.m_expression.optimize();
    if (length)
        *length = end;
    return literal;
}

QRegularExpression RegExpLiteral::anyOf(const QList<const RegExpLiteral *> &literals)
{
    // "(?i:...)" carries each literal's own flags into its branch.
    QString pattern = matchLimitVerb;
    for (const RegExpLiteral *literal : literals) {
        const QRegularExpression::PatternOptions options = literal->m_expression.patternOptions();
        QString flags;
        if (options & QRegularExpression::CaseInsensitiveOption)
            flags += u'i';
        if (options & QRegularExpression::MultilineOption)
            flags += u'm';
        if (options & QRegularExpression::DotMatchesEverythingOption)
            flags += u's';
        if (pattern.size() > matchLimitVerb.size())
            pattern += u'|';
        pattern += u"(?"_s + flags + u':' + literal->m_body + u')';
    }
    QRegularExpression expression(pattern);
    expression.optimize();
    return expression;
}

bool RegExpLiteral::matches(const QString &subject) const
{
    return m_expression.match(subject, 0, QRegularExpression::NormalMatch, m_matchOptions)
        .hasMatch();
}
