#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// One "<scheme>://<host><path>" pattern of a block list, the form browser
// extensions use: scheme "*" (http and https), "http" or "https"; host "*"
// (every host), "*." plus a name (the name and every host below it) or a name
// alone; a path from "/" in which "*" stands for any run of characters, held
// against the address's path and query (never its fragment).
class MatchPattern
{
public:
    enum Scheme : quint8 { Http = 1, Https = 2 };
    enum class Error { Malformed, UnsupportedScheme };

    // text is the pattern alone: no "@", no comment, no surrounding blanks.
    static std::optional<MatchPattern> parse(QStringView text, Error *error = nullptr);

    // A host as addresses carry it: lower-case ASCII (punycode), no trailing
    // dot, labels of letters, digits, "-" and "_". Empty when name is none.
    static QString normalisedHost(QStringView name);
    // "*" matches any run of characters, "/" included; the rest compares
    // exactly, case and all, as addresses keep their paths.
    static bool globMatches(QStringView glob, QStringView subject);

    quint8 schemes() const { return m_schemes; }
    // Empty for the bare "*" host.
    const QString &host() const { return m_host; }
    bool matchesAnyHost() const { return m_host.isEmpty(); }
    bool includesSubdomains() const { return m_includesSubdomains; }
    // The path glob, non-ASCII characters percent-encoded as in addresses.
    const QString &path() const { return m_path; }
    bool matchesAnyPath() const { return m_path == u"/*"; }

private:
    quint8 m_schemes = 0;
    bool m_includesSubdomains = false;
    QString m_host;
    QString m_path;
};
