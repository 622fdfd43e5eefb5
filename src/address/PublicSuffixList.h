#pragma once

#include <QString>
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
    // The public suffix plus one label, or empty when host is itself a public
    // suffix (or empty).
    QString registrableDomain(QStringView host) const;
    // True when the suffix that makes host registrable comes from the list's
    // private section (shared hosting, dynamic DNS, platform subdomains).
    bool isPrivateSuffix(QStringView suffix) const;

private:
    struct ContextDeleter
    {
        void operator()(psl_ctx_st *context) const;
    };
    std::unique_ptr<psl_ctx_st, ContextDeleter> m_context;
};
