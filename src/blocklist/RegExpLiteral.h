#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

#include <optional>

// A JavaScript regular expression literal, "/body/flags", as block lists write
// them, turned into the QRegularExpression (PCRE2) that reads it the same way.
// Lists are written for JavaScript, so constructs PCRE2 reads differently are
// translated ("\u0041", "[^]", "[]") and constructs JavaScript rejects but
// PCRE2 would run (backtracking verbs, recursion, atomic groups) reject the
// line, as the extension itself would. Every expression runs under a
// backtracking limit, so a pathological one costs a bounded moment per
// address instead of hanging the browser.
class RegExpLiteral
{
public:
    enum class Error { NotALiteral, Malformed, UnsupportedFlag, Invalid };

    // Longer texts are refused before PCRE2 ever compiles them.
    static constexpr qsizetype maxLength = 16 * 1024;

    // Reads the literal at the start of text. length receives how much of
    // text it took; the caller decides what may follow (a comment, nothing).
    static std::optional<RegExpLiteral> parse(QStringView text, qsizetype *length,
                                              Error *error = nullptr);

    bool matches(const QString &subject) const;

    // False for a sticky literal, or one with back-references or named
    // groups, whose meaning would change next to others.
    bool canShareARun() const { return m_canShareARun; }
    // One expression matching wherever one of literals does, so that a list
    // of them costs a single run on the usual address none of them matches.
    // It is invalid when PCRE2 cannot hold them all in one pattern.
    static QRegularExpression anyOf(const QList<const RegExpLiteral *> &literals);

private:
    QRegularExpression m_expression;
    QRegularExpression::MatchOptions m_matchOptions;
    QString m_body; // the PCRE2 form, without flags or limit
    bool m_canShareARun = false;
};
