#pragma once

#include <QString>
#include <QStringView>

#include <array>

// A host as the web engine's URL parser reads it (the URL Standard's host
// parser): percent-decoded, IDNA-mapped to lower-case ASCII, IPv4 numbers in
// any of their forms ("0x7f.1", "2130706433", octal) turned into the address
// they name. Judging anything else than this host would judge another site
// than the one the engine opens.
class UrlHost
{
public:
    enum class Kind { invalid, domain, ipv4, ipv6, opaque };

    // input: the host text between the authority's "@" and its port.
    // special: for http, https, ws, wss, ftp and file; other schemes get an
    // opaque host, kept as written.
    static UrlHost parse(QStringView input, bool special = true);

    Kind kind() const { return m_kind; }
    bool isValid() const { return m_kind != Kind::invalid; }
    bool isIpAddress() const { return m_kind == Kind::ipv4 || m_kind == Kind::ipv6; }

    // Domains in lower-case ASCII (punycode) as the standard serialises them,
    // trailing dots included; IPv4 dotted; IPv6 compressed, without brackets.
    const QString &text() const { return m_text; }
    quint32 ipv4() const { return m_ipv4; }
    const std::array<quint16, 8> &ipv6() const { return m_ipv6; }

    // True for a domain that DNS could hold: no empty label other than
    // trailing dots, labels of at most 63 and names of at most 253
    // characters. The standard lets other names through; no real site can
    // have one.
    bool isDnsName() const;
    // The domain without its trailing dots: "scam.top.." names the host the
    // resolver looks up as "scam.top".
    QStringView withoutTrailingDots() const;
    // Addresses no site on the internet can have: private, loopback,
    // link-local, shared (carrier-grade NAT) and unspecified ones.
    bool isLocalAddress() const;

private:
    static UrlHost invalid() { return UrlHost(); }

    Kind m_kind = Kind::invalid;
    QString m_text;
    quint32 m_ipv4 = 0;
    std::array<quint16, 8> m_ipv6 {};
};
