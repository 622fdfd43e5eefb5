#include "safety/ShopNameModel.h"

#include <QStringTokenizer>

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

#include "safety/ShopNameModelWeights.inc"

// Everything below mirrors tools/train_shop_name_model.py, which measured it and
// trained the weights: a change here without the same change there (and a
// regenerated table) breaks the model silently.

constexpr std::uint32_t bucketMask = (1u << bucketBits) - 1;

bool isLetter(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isVowel(char16_t c)
{
    return c == u'a' || c == u'e' || c == u'i' || c == u'o' || c == u'u';
}

// Sums the weights of named features for both models at once, as they share
// the features; a name is hashed (FNV-1a, 32 bits) into the weight tables
// exactly as the training script hashes it.
class WeightSum
{
public:
    void add(std::string_view prefix, std::string_view text = {})
    {
        addWeights(hash(prefix, text));
    }

    // The random-letters model reads the letters alone, not where they are registered.
    void addSuffixClass(std::string_view suffixKind)
    {
        m_madeUp += weights[hash("s:", suffixKind) & bucketMask];
    }

    void add(std::string_view prefix, int value)
    {
        char digits[12];
        int length = 0;
        do {
            digits[length++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0);
        std::reverse(digits, digits + length);
        add(prefix, std::string_view(digits, size_t(length)));
    }

    // The n characters of "^" + label + "$" from position `from`.
    void addGram(std::string_view prefix, QStringView label, qsizetype from, qsizetype n)
    {
        std::uint32_t hash = start(prefix);
        for (qsizetype i = from; i < from + n; ++i) {
            const char16_t c = i == 0   ? u'^'
                : i == label.size() + 1 ? u'$'
                                        : label[i - 1].unicode();
            hash = mix(hash, c);
        }
        addWeights(hash);
    }

    int madeUp() const { return m_madeUp; }
    int random() const { return m_random; }

private:
    static std::uint32_t hash(std::string_view prefix, std::string_view text)
    {
        std::uint32_t hash = start(prefix);
        for (char c : text)
            hash = mix(hash, char16_t(c));
        return hash;
    }

    void addWeights(std::uint32_t hash)
    {
        m_madeUp += weights[hash & bucketMask];
        m_random += randomWeights[hash & bucketMask];
    }

    static std::uint32_t mix(std::uint32_t hash, char16_t c)
    {
        return (hash ^ std::uint8_t(c)) * 0x01000193u;
    }

    static std::uint32_t start(std::string_view prefix)
    {
        std::uint32_t hash = 0x811c9dc5u;
        for (char c : prefix)
            hash = mix(hash, char16_t(c));
        return hash;
    }

    int m_madeUp = bias;
    int m_random = randomBias;
};

// The suffix classes the model knows; empty where it does not judge: second-level
// and platform suffixes, .jp (registration needs a local presence, which fake
// shops avoid) and the all-digit last label of an IP address.
std::string_view suffixClass(QStringView suffix)
{
    if (suffix.isEmpty() || suffix.contains(u'.') || suffix == u"jp")
        return {};
    if (std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return isDigit(c.unicode()); }))
        return {};
    if (suffix == u"com")
        return "com";
    if (suffix == u"net")
        return "net";
    if (suffix == u"org")
        return "org";
    return suffix.size() == 2 ? "cc" : "g";
}

WeightSum scores(QStringView label, std::string_view suffixKind)
{
    WeightSum sum;
    sum.addSuffixClass(suffixKind);
    int letters = 0, vowels = 0, ys = 0, digits = 0, hyphens = 0;
    int consonantRun = 0, longestConsonantRun = 0, vowelRun = 0, longestVowelRun = 0;
    int doubled = 0;
    QChar previous; // the previous character of the label without its hyphens
    for (QChar ch : label) {
        const char16_t c = ch.unicode();
        if (c == u'-') {
            ++hyphens;
            continue;
        }
        if (!previous.isNull() && previous == ch && isLetter(c))
            ++doubled;
        previous = ch;
        if (isDigit(c)) {
            ++digits;
            continue;
        }
        if (!isLetter(c))
            continue;
        // Runs count over the letters alone, as if digits were not there.
        ++letters;
        vowels += isVowel(c);
        ys += c == u'y';
        consonantRun = !isVowel(c) && c != u'y' ? consonantRun + 1 : 0;
        vowelRun = isVowel(c) ? vowelRun + 1 : 0;
        longestConsonantRun = std::max(longestConsonantRun, consonantRun);
        longestVowelRun = std::max(longestVowelRun, vowelRun);
    }
    sum.add("l:", std::min(int(label.size() / 2), 8));
    sum.add("d:", std::min(digits, 3));
    if (isDigit(label.front().unicode()))
        sum.add("D");
    sum.add("h:", std::min(hyphens, 2));
    if (letters > 0) {
        sum.add("v:", 10 * vowels / letters);
        sum.add("c:", std::min(longestConsonantRun, 5));
        sum.add("w:", std::min(longestVowelRun, 4));
        sum.add("y:", std::min(ys, 3));
    }
    sum.add("b:", std::min(doubled, 3));
    QChar first, second, last, beforeLast;
    qsizetype coreLength = 0;
    for (QChar ch : label) {
        if (ch == u'-')
            continue;
        if (coreLength == 0)
            first = ch;
        else if (coreLength == 1)
            second = ch;
        beforeLast = last;
        last = ch;
        ++coreLength;
    }
    if (coreLength > 1 && first == second)
        sum.add("B0");
    if (coreLength > 1 && last == beforeLast)
        sum.add("B1");
    for (qsizetype i = 0; i + 2 <= label.size() + 2; ++i)
        sum.addGram("2:", label, i, 2);
    for (qsizetype i = 0; i + 3 <= label.size() + 2; ++i)
        sum.addGram("3:", label, i, 3);
    return sum;
}

// A hex digest as a label: 16+ hex digits mixing 3+ digits and 3+ letters.
bool isHashLike(QStringView label)
{
    if (label.size() < 16)
        return false;
    int digits = 0;
    for (QChar ch : label) {
        const char16_t c = ch.unicode();
        if (isDigit(c))
            ++digits;
        else if (c < u'a' || c > u'f')
            return false;
    }
    return digits >= 3 && label.size() - digits >= 3;
}

// A Japanese second-level domain ("co.jp", or the look-alike "co.ip") inside the
// subdomain, where a real one is always the registrable domain's own suffix.
bool hasEmbeddedJapaneseSuffix(QStringView subdomain)
{
    static constexpr QStringView secondLevel[]
        = {u"co", u"ne", u"or", u"ac", u"go", u"ed", u"lg", u"gr"};
    QStringView previous;
    for (QStringView label : subdomain.tokenize(u'.')) {
        if ((label == u"jp" || label == u"ip")
            && std::find(std::begin(secondLevel), std::end(secondLevel), previous)
                != std::end(secondLevel))
            return true;
        previous = label;
    }
    return false;
}

// A per-victim id ("0h", "02p5", "k-1d4m": a digit with a letter after it) as the
// only subdomain of a short, vowel-poor, letters-only registrable label ("nusph");
// or a short subdomain over a label without a vowel at all ("2.gmwzt", "login.gmwzt"),
// which no name people say aloud is. Servers ("www", "img1") and content
// delivery hosts ("fbcdn", "sndcdn") are named so for machines, not people.
bool isIdOverRandomName(QStringView subdomain, QStringView label)
{
    if (subdomain.isEmpty() || subdomain.size() > 8)
        return false;
    bool digitSeen = false, letterAfterDigit = false;
    for (QChar ch : subdomain) {
        const char16_t c = ch.unicode();
        if (!isLetter(c) && !isDigit(c) && c != u'-')
            return false; // also a dot: more than one subdomain label
        digitSeen = digitSeen || isDigit(c);
        letterAfterDigit = letterAfterDigit || (digitSeen && isLetter(c));
    }
    if (label.size() < 4 || label.size() > 7
        || !std::all_of(label.begin(), label.end(), [](QChar c) { return isLetter(c.unicode()); }))
        return false;
    const auto vowels
        = std::count_if(label.begin(), label.end(), [](QChar c) { return isVowel(c.unicode()); });
    if (letterAfterDigit)
        return vowels <= 2;
    const bool numberedServer = digitSeen && isLetter(subdomain.front().unicode());
    return vowels == 0 && label.size() >= 5 && !label.contains(u"cdn") && subdomain != u"www"
        && !numberedServer;
}

} // namespace

ShopNameModel::Findings ShopNameModel::assess(QStringView host, QStringView registrableDomain,
                                              QStringView publicSuffix)
{
    // The registrable label is what the registrant chose; anything inconsistent is
    // not judged rather than guessed at.
    if (registrableDomain.size() <= publicSuffix.size() + 1
        || !registrableDomain.endsWith(publicSuffix)
        || registrableDomain.at(registrableDomain.size() - publicSuffix.size() - 1) != u'.'
        || !host.endsWith(registrableDomain))
        return {};
    const QStringView label
        = registrableDomain.first(registrableDomain.size() - publicSuffix.size() - 1);
    QStringView subdomain;
    if (host.size() > registrableDomain.size()) {
        if (host.at(host.size() - registrableDomain.size() - 1) != u'.')
            return {};
        subdomain = host.first(host.size() - registrableDomain.size() - 1);
    }

    for (QStringView part : host.tokenize(u'.')) {
        if (isHashLike(part))
            return Finding::machineGeneratedHost;
    }
    if (hasEmbeddedJapaneseSuffix(subdomain))
        return Finding::machineGeneratedHost;
    if (!publicSuffix.contains(u'.') && isIdOverRandomName(subdomain, label))
        return Finding::machineGeneratedHost;

    const std::string_view kind = suffixClass(publicSuffix);
    if (kind.empty() || label.startsWith(u"xn--")
        || !std::all_of(label.begin(), label.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return {};
    const WeightSum sum = scores(label, kind);
    const bool madeUp = sum.madeUp() >= cautionThreshold;
    // Both models read the same letters: beside a made-up name, random letters
    // (two cautions, so a block) take a surer score.
    const bool random = sum.random() >= (madeUp ? randomWithMadeUpThreshold : randomThreshold);
    Findings findings;
    findings.setFlag(Finding::madeUpShopName, madeUp);
    findings.setFlag(Finding::randomLetters, random);
    return findings;
}
