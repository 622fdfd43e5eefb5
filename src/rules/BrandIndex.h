#pragma once

#include "address/DomainKey.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

#include <array>
#include <optional>

// Shop and brand names as scammers spell them inside host names: the name
// itself ("rakuten-login.example"), digit and letter look-alikes ("amaz0n",
// "arnazon"), one typo for longer names ("rakutem"), an official domain put
// in front of another ("rakuten.co.jp.evil.example") and letters of other
// scripts that look Latin ("rаkuten" with a Cyrillic а).
class BrandIndex
{
public:
    struct Brand
    {
        // Shown in reasons and offered as "did you mean".
        QString name;
        QString domain;
        // Lower-case ASCII; hosts at or below them are the brand's own.
        QStringList officialDomains;
        // Lower-case ASCII names as they appear in hosts ("rakuten", "aupay").
        QStringList keys;
        // Names in Japanese script ("楽天市場"), found inside a label.
        QStringList localNames;
        // Names this long or longer also match with one edit.
        qsizetype typoLength = 6;
        // Keys of typoLength or more also match at the start or the end of a
        // longer word ("amazonsignin", "myrakuten"): only for names no
        // everyday word begins or ends with.
        bool keysInWords = false;
        // Every official domain, not only those spelling a key, counts as a
        // prefix (certified shops: their one domain is the name people know).
        bool anyDomainIsPrefix = false;
        // Keys of typoLength or more also match shuffled, first letter kept,
        // with up to two letters added ("anazom", "mcereari"), or at the
        // start of a longer word when keysInWords ("amozansignin"):
        // campaigns scramble the names everyone knows, not a certified
        // shop's words.
        bool scrambles = false;
    };

    enum class How { name, prefix, homograph };
    struct Finding
    {
        const Brand *brand = nullptr;
        How how = How::name;
    };

    // How a host reads once look-alikes are folded away. Built once per
    // verdict and matched against every index.
    class Spelling
    {
    public:
        // host: lower-case ASCII without trailing dots; publicSuffix: its
        // suffix from the public suffix list.
        Spelling(QStringView host, QStringView publicSuffix);

    private:
        friend class BrandIndex;
        struct Run
        {
            QStringView text;
            int label;
        };
        QStringView m_host;
        // Everything left of the suffix, Unicode labels decoded, other
        // scripts' look-alike letters and digit look-alikes folded.
        QString m_folded;
        QList<QStringView> m_localLabels;
        QVarLengthArray<Run, 24> m_runs;
        bool m_homoglyphs = false;
        // The whole host with look-alike letters folded, when it had any.
        QString m_foldedHost;
        // Registered under co.jp, or.jp and the like: only a company
        // registered in Japan gets one.
        bool m_japaneseOrganisation = false;
        // The label index of the registrable name, the one left of the suffix.
        int m_registrableLabel = 0;
        // Under .jp at all: registering one needs a presence in Japan, which
        // throw-away phishing hosts avoid and the brands' own ventures have.
        bool m_japaneseRegistration = false;
    };

    BrandIndex() = default;
    explicit BrandIndex(const QList<Brand> &brands);

    bool isEmpty() const { return m_brands.isEmpty(); }
    const QList<Brand> &brands() const { return m_brands; }

    // True when host lies at or below one of a brand's official domains.
    bool isOfficial(QStringView host) const { return officialBrand(host) >= 0; }
    // The brand whose official domain host lies at or below, if any.
    const Brand *officialBrandOf(QStringView host) const
    {
        const int row = officialBrand(host);
        return row < 0 ? nullptr : &m_brands.at(row);
    }
    // The brands whose shown domain is domain or lies below it, in list
    // order.
    QList<const Brand *> brandsAtOrBelow(const QString &domain) const;
    // The brand that host pretends to be, if any.
    std::optional<Finding> find(const Spelling &spelling) const;

    // Letters of other scripts and full-width forms that pass for Latin ones.
    static char16_t foldConfusable(char16_t c);
    // 0→o, 1→l, rn→m, vv→w, on lower-case ASCII.
    static QString foldLookalikes(QStringView text);
    // True when a label of host starts with "xn--".
    static bool hasPunycodeLabel(QStringView host);

private:
    struct Key
    {
        QString text;
        int brand;
        bool typos;
    };
    std::optional<Finding> findName(const Spelling &spelling) const;
    std::optional<Finding> findInWord(QStringView run) const;
    std::optional<Finding> findScrambled(QStringView run) const;
    std::optional<Finding> findPrefix(QStringView host) const;
    // Real, different names one edit from a brand or starting with one:
    // PayPal is not PayPay, 楽園 (rakuen, paradise) is no 楽天, the
    // Amazonas is a river, and "applied" only shuffles "appleid".
    static bool isOtherName(QStringView run);
    // The row of the brand whose official domain host lies at or below, or -1.
    int officialBrand(QStringView host) const;

    QList<Brand> m_brands;
    QList<Key> m_keys;
    // Rows of the keys that also match inside a longer word.
    QList<int> m_keysInWords;
    // Rows of the keys that also match scrambled.
    QList<int> m_scrambledKeys;
    // The first key row of each name, so that thousands of certified shops
    // cost a verdict what a few do.
    QHash<DomainKey, int> m_keysByText;
    static constexpr qsizetype maxKeyLength = 64;
    // Key rows by length, for the one-edit search among a few names.
    std::array<QList<int>, maxKeyLength> m_keysByLength;
    // Among many: rows of the keys that match with one edit, under the key and under
    // each of its one-letter deletions: two names one edit apart share one
    // of these.
    QHash<DomainKey, QList<int>> m_keysByDeletion;
    // The deletions the keys above view.
    QStringList m_deletions;
    // First letters and lengths of the prefix domains' first labels, to skip
    // the hash for labels no prefix can start with.
    quint32 m_prefixLetters = 0;
    quint64 m_prefixLengths = 0;
    // The names in Japanese script with their brand rows, in list order:
    // most brands have none.
    QList<std::pair<QString, int>> m_localNames;
    // Prefix domains by their first label.
    QList<std::pair<QString, int>> m_prefixDomains;
    QHash<DomainKey, QList<int>> m_prefixesByLabel;
    QHash<DomainKey, int> m_officialDomains;
    // Brand rows by every parent of their shown domain and the domain itself.
    // Keys view the brands' own domains.
    QHash<DomainKey, QList<int>> m_brandsByDomainSuffix;
};
