#pragma once

#include "address/DomainKey.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

struct psl_ctx_st;

// The public suffix list (ICANN and private sections) as the system ships it,
// read through libpsl. It tells a registrable domain from the suffix it sits
// on ("shop.example.co.jp" -> "example.co.jp") and knows shared hosting
// suffixes ("*.workers.dev", "*.base.shop") as suffixes of their own.
//
// Hosts are given in their lower-case ASCII (punycode) form without a
// trailing dot; the answers are in the same form.
class PublicSuffixList
{
public:
    // The newest list the system has: Debian's publicsuffix file when it is
    // newer than the copy built into libpsl.
    PublicSuffixList();
    ~PublicSuffixList();
    PublicSuffixList(const PublicSuffixList &) = delete;
    PublicSuffixList &operator=(const PublicSuffixList &) = delete;

    // The list is immutable reference data, loaded once on first use and
    // shared by every reader in the process, like the built-in rule tables.
    static const PublicSuffixList &system();

    bool isPublicSuffix(QStringView host) const;
    // The longest public suffix of host; the host's last label when the list
    // has no rule for it (the list's implicit "*" rule).
    QString publicSuffix(QStringView host) const;
    // The same for a lower-case ASCII host, as the tail of host itself.
    QStringView publicSuffixOf(QStringView host) const;
    // The public suffix plus one label, or empty when host is itself a public
    // suffix (or empty).
    QString registrableDomain(QStringView host) const;
    // The same as the tail of host, given its public suffix (itself a tail of
    // host, as publicSuffixOf gives it).
    static QStringView registrableDomainOf(QStringView host, QStringView suffix);
    // True when the suffix that makes host registrable comes from the list's
    // private section (shared hosting, dynamic DNS, platform subdomains).
    bool isPrivateSuffix(QStringView suffix) const;
    // True when the list itself names suffix (not merely its implicit "*"
    // rule): "jp", "co.jp" and "com" are listed, "local" or "txt" are not.
    bool isListedSuffix(QStringView suffix) const;

private:
    struct ContextDeleter
    {
        void operator()(psl_ctx_st *context) const;
    };
    // libpsl walks its automaton for every label, some 600 ns a call, more
    // than a whole verdict may take. So the rules of the list file libpsl
    // reads are loaded once into a hash, each kept only where libpsl gives
    // the same answer: libpsl stays the authority, the hash its index.
    enum RuleKind : quint8 { plain = 1, wildcard = 2, exception = 4 };
    void buildIndex();
    QStringView indexedSuffix(QStringView host) const;

    std::unique_ptr<psl_ctx_st, ContextDeleter> m_context;
    QStringList m_ruleStorage;
    QHash<DomainKey, quint8> m_rules;
};
