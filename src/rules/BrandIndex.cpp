#include "rules/BrandIndex.h"

#include <QStringTokenizer>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Second-level domains that only a company or body registered in Japan can
// hold; a brand's name there is far more likely its own subsidiary's.
constexpr std::array<QStringView, 9> japaneseOrganisationSuffixes = {
    u"co.jp", u"or.jp", u"ne.jp", u"ac.jp", u"ad.jp", u"ed.jp", u"go.jp", u"gr.jp", u"lg.jp",
};

bool withinOneEdit(QStringView a, QStringView b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    // One edit leaves the first or the last letter where it was.
    if (b.size() - a.size() > 1 || a.isEmpty() || (a.front() != b.front() && a.back() != b.back()))
        return false;
    qsizetype i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size())
        return a.sliced(std::min(i + 1, a.size())) == b.sliced(std::min(i + 1, b.size()));
    return a.sliced(i) == b.sliced(i + 1);
}

bool isAsciiLetter(QChar c)
{
    return c.unicode() >= u'a' && c.unicode() <= u'z';
}

} // namespace

char16_t BrandIndex::foldConfusable(char16_t c)
{
    if (c < 0x80)
        return c;
    // Full-width Latin letters and digits.
    if (c >= 0xFF41 && c <= 0xFF5A)
        return char16_t(u'a' + (c - 0xFF41));
    if (c >= 0xFF21 && c <= 0xFF3A)
        return char16_t(u'a' + (c - 0xFF21));
    if (c >= 0xFF10 && c <= 0xFF19)
        return char16_t(u'0' + (c - 0xFF10));
    switch (c) {
    // Cyrillic
    case 0x0430:
        return u'a';
    case 0x0435:
        return u'e';
    case 0x043E:
        return u'o';
    case 0x0440:
        return u'p';
    case 0x0441:
        return u'c';
    case 0x0445:
        return u'x';
    case 0x0443:
        return u'y';
    case 0x0456:
        return u'i';
    case 0x0458:
        return u'j';
    case 0x0455:
        return u's';
    case 0x0501:
        return u'd';
    case 0x051B:
        return u'q';
    case 0x051D:
        return u'w';
    case 0x04BB:
        return u'h';
    case 0x04CF:
        return u'l';
    // Greek
    case 0x03BF:
        return u'o';
    case 0x03B1:
        return u'a';
    case 0x03BD:
        return u'v';
    case 0x03C1:
        return u'p';
    case 0x03B9:
        return u'i';
    case 0x03BA:
        return u'k';
    case 0x03C5:
        return u'u';
    case 0x03B5:
        return u'e';
    // Armenian
    case 0x0585:
        return u'o';
    case 0x0578:
        return u'n';
    case 0x057D:
        return u'u';
    case 0x0570:
        return u'h';
    // Latin letters that pass for plain ones
    case 0x0251:
        return u'a';
    case 0x0131:
        return u'i';
    case 0x0261:
        return u'g';
    default:
        break;
    }
    // A plain letter under an accent ("amazón") reads as the letter.
    const QString decomposed = QChar::decomposition(c);
    const char16_t base = decomposed.isEmpty() ? 0 : decomposed.front().unicode();
    return base >= u'a' && base <= u'z' ? base : c;
}

QString BrandIndex::foldLookalikes(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
        if (c == u'0') {
            *out++ = u'o';
        } else if (c == u'1') {
            *out++ = u'l';
        } else if (c == u'r' && next == u'n') {
            *out++ = u'm';
            ++i;
        } else if (c == u'v' && next == u'v') {
            *out++ = u'w';
            ++i;
        } else {
            *out++ = QChar(c);
        }
    }
    folded.truncate(out - folded.constData());
    return folded;
}

bool BrandIndex::hasPunycodeLabel(QStringView host)
{
    for (qsizetype i = 0; i + 3 < host.size(); ++i) {
        if (host[i] == u'x' && (i == 0 || host[i - 1] == u'.') && host[i + 1] == u'n'
            && host[i + 2] == u'-' && host[i + 3] == u'-')
            return true;
    }
    return false;
}

BrandIndex::Spelling::Spelling(QStringView host, QStringView publicSuffix)
    : m_host(host)
{
    QStringView left;
    if (publicSuffix.isEmpty())
        left = host;
    else if (host.size() > publicSuffix.size() + 1 && host.endsWith(publicSuffix)
             && host[host.size() - publicSuffix.size() - 1] == u'.')
        left = host.first(host.size() - publicSuffix.size() - 1);
    m_japaneseOrganisation = std::find(japaneseOrganisationSuffixes.begin(),
                                       japaneseOrganisationSuffixes.end(), publicSuffix)
        != japaneseOrganisationSuffixes.end();
    m_japaneseRegistration = publicSuffix == u"jp" || publicSuffix.endsWith(u".jp");

    QString unfolded;
    const bool international = hasPunycodeLabel(left);
    if (international) {
        // Decoded label by label: the whole name may mix scripts the IDN
        // display rules refuse, and that is just what is looked for here.
        for (const QStringView label : QStringTokenizer(left, u'.')) {
            if (!unfolded.isEmpty())
                unfolded += u'.';
            unfolded += label.startsWith(u"xn--")
                ? QUrl::fromAce(label.toLatin1(), QUrl::IgnoreIDNWhitelist)
                : label.toString();
        }
        QString folded = unfolded;
        for (QChar &c : folded) {
            const char16_t f = foldConfusable(c.unicode());
            if (f != c.unicode()) {
                m_homoglyphs = true;
                c = QChar(f);
            }
        }
        m_folded = foldLookalikes(folded);
        if (m_homoglyphs)
            m_foldedHost = folded + u'.' + publicSuffix.toString();
        for (const QStringView label : QStringTokenizer(m_folded, u'.'))
            m_localLabels.append(label);
    } else {
        m_folded = foldLookalikes(left);
    }

    m_registrableLabel = int(m_folded.count(u'.'));
    int label = 0;
    const QStringView folded = m_folded;
    for (qsizetype i = 0; i < folded.size();) {
        if (folded[i] == u'.')
            ++label;
        if (!isAsciiLetter(folded[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < folded.size() && isAsciiLetter(folded[end]))
            ++end;
        if (m_runs.size() < 64)
            m_runs.append(Run {folded.sliced(i, end - i), label});
        i = end;
    }
}

BrandIndex::BrandIndex(const QList<Brand> &brands)
    : m_brands(brands)
{
    for (int b = 0; b < m_brands.size(); ++b) {
        const Brand &brand = m_brands.at(b);
        for (const QString &key : brand.keys) {
            const QString folded = foldLookalikes(key);
            if (folded.isEmpty() || !isAsciiLetter(folded[0]))
                continue;
            const int row = int(m_keys.size());
            const bool typos = folded.size() >= brand.typoLength;
            m_keys.append(Key {folded, b, typos});
            if (typos && brand.keysInWords)
                m_keysInWords.append(row);
            if (typos && brand.scrambles)
                m_scrambledKeys.append(row);
            // Views of the keys' own text, which stays as long as the index.
            const QStringView text = m_keys.constLast().text;
            if (!m_keysByText.contains(text))
                m_keysByText.insert(text, row);
            if (folded.size() < maxKeyLength)
                m_keysByLength[folded.size()].append(row);
            if (typos && folded.size() < maxKeyLength) {
                m_keysByDeletion[text].append(row);
                for (qsizetype at = 0; at < folded.size(); ++at) {
                    m_deletions.append(QString(folded).remove(at, 1));
                    QList<int> &rows = m_keysByDeletion[QStringView(m_deletions.constLast())];
                    if (rows.isEmpty() || rows.constLast() != row)
                        rows.append(row);
                }
            }
        }
        for (const QString &local : brand.localNames)
            m_localNames.append({local, b});
        for (const QString &domain : brand.officialDomains) {
            const QStringView firstLabel = QStringView(domain).first(
                domain.contains(u'.') ? domain.indexOf(u'.') : domain.size());
            const bool spellsKey = brand.keys.contains(firstLabel.toString());
            if (brand.anyDomainIsPrefix || spellsKey)
                m_prefixDomains.append({domain, b});
        }
    }
    for (int b = 0; b < m_brands.size(); ++b) {
        for (QStringView rest = m_brands.at(b).domain; !rest.isEmpty(); rest = parentName(rest))
            m_brandsByDomainSuffix[rest].append(b);
        for (const QString &domain : m_brands.at(b).officialDomains) {
            if (!m_officialDomains.contains(QStringView(domain)))
                m_officialDomains.insert(QStringView(domain), b);
        }
    }
    for (int row = 0; row < m_prefixDomains.size(); ++row) {
        const QString &domain = m_prefixDomains.at(row).first;
        const qsizetype dot = domain.indexOf(u'.');
        const QStringView label = QStringView(domain).first(dot < 0 ? domain.size() : dot);
        m_prefixesByLabel[label].append(row);
        if (isAsciiLetter(label.front()) && label.size() < maxKeyLength) {
            m_prefixLetters |= 1u << (label.front().unicode() - u'a');
            m_prefixLengths |= quint64(1) << label.size();
        }
    }
}

QList<const BrandIndex::Brand *> BrandIndex::brandsAtOrBelow(const QString &domain) const
{
    QList<const Brand *> found;
    const auto rows = m_brandsByDomainSuffix.constFind(QStringView(domain));
    if (rows == m_brandsByDomainSuffix.cend())
        return found;
    for (const int row : *rows)
        found.append(&m_brands.at(row));
    return found;
}

int BrandIndex::officialBrand(QStringView host) const
{
    for (QStringView rest = host; !rest.isEmpty(); rest = parentName(rest)) {
        const auto found = m_officialDomains.constFind(rest);
        if (found != m_officialDomains.cend())
            return *found;
    }
    return -1;
}

std::optional<BrandIndex::Finding> BrandIndex::findScrambled(QStringView run) const
{
    for (const int row : m_scrambledKeys) {
        const QString &key = m_keys.at(row).text;
        // The name itself, whole or in a word, is for the other searches.
        if (run.front() != key.front() || run.size() < key.size() || run.contains(key))
            continue;
        // A longer word may start with the shuffled name ("amzanosignin"),
        // letter for letter, where no everyday word starts with the name.
        QStringView letters = run;
        if (run.size() > key.size() + 2) {
            letters = run.first(key.size());
            if (!m_keysInWords.contains(row) || isOtherName(letters))
                continue;
        }
        std::array<int, 26> missing {};
        for (const QChar c : key)
            ++missing[c.unicode() - u'a'];
        for (const QChar c : letters) {
            if (isAsciiLetter(c))
                --missing[c.unicode() - u'a'];
        }
        if (std::all_of(missing.begin(), missing.end(), [](int n) { return n <= 0; }))
            return Finding {&m_brands.at(m_keys.at(row).brand), How::name};
    }
    return std::nullopt;
}

bool BrandIndex::isOtherName(QStringView run)
{
    static constexpr std::array<QStringView, 5> others
        = {u"paypal", u"rakuen", u"amazonas", u"amazonia", u"applied"};
    return std::find(others.begin(), others.end(), run) != others.end();
}

std::optional<BrandIndex::Finding> BrandIndex::findInWord(QStringView run) const
{
    for (const int row : m_keysInWords) {
        const Key &key = m_keys.at(row);
        if (run.size() > key.text.size() && (run.startsWith(key.text) || run.endsWith(key.text)))
            return Finding {&m_brands.at(key.brand), How::name};
    }
    return std::nullopt;
}

std::optional<BrandIndex::Finding> BrandIndex::findPrefix(QStringView host) const
{
    for (qsizetype start = 0; start < host.size();) {
        const QStringView from = host.sliced(start);
        qsizetype dot = 0;
        while (dot < from.size() && from[dot] != u'.')
            ++dot;
        const QStringView label = from.first(dot);
        // Most labels start with a letter or have a length no prefix has.
        const bool possible = !label.isEmpty() && isAsciiLetter(label.front())
            && (m_prefixLetters & (1u << (label.front().unicode() - u'a')))
            && label.size() < maxKeyLength && (m_prefixLengths & (quint64(1) << label.size()));
        const auto rows = possible ? m_prefixesByLabel.constFind(label) : m_prefixesByLabel.cend();
        if (rows != m_prefixesByLabel.cend()) {
            for (const int row : *rows) {
                const QString &domain = m_prefixDomains.at(row).first;
                if (from.size() > domain.size() && from.startsWith(domain)
                    && (from[domain.size()] == u'.' || from[domain.size()] == u'-')) {
                    return Finding {&m_brands.at(m_prefixDomains.at(row).second), How::prefix};
                }
            }
        }
        // Names start at the host's start and after every dot or hyphen.
        qsizetype next = start;
        while (next < host.size() && host[next] != u'.' && host[next] != u'-')
            ++next;
        start = next + 1;
    }
    return std::nullopt;
}

std::optional<BrandIndex::Finding> BrandIndex::findName(const Spelling &spelling) const
{
    const auto &runs = spelling.m_runs;
    // A name registered under co.jp and the like is a Japanese company's own,
    // unless spelt with another script's letters; the names it puts left of
    // it are not.
    const auto ownName = [&](int label) {
        return spelling.m_japaneseOrganisation && !spelling.m_homoglyphs
            && label == spelling.m_registrableLabel;
    };
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const QStringView run = runs[i].text;
        if (isOtherName(run) || ownName(runs[i].label))
            continue;
        // "au-pay" spells "aupay": a name may run over up to three pieces of
        // one label. The first key in list order wins.
        int found = -1;
        const auto lookUp = [&](QStringView text) {
            const auto key = m_keysByText.constFind(text);
            if (key != m_keysByText.cend())
                found = found < 0 ? key.value() : std::min(found, key.value());
        };
        lookUp(run);
        if (i + 1 < runs.size() && runs[i + 1].label == runs[i].label) {
            QVarLengthArray<QChar, maxKeyLength> spelled(run.begin(), run.end());
            for (qsizetype j = i + 1;
                 j < runs.size() && j <= i + 2 && runs[j].label == runs[i].label; ++j) {
                spelled.append(runs[j].text.data(), runs[j].text.size());
                lookUp(QStringView(spelled.data(), spelled.size()));
            }
        }
        if (found >= 0)
            return Finding {&m_brands.at(m_keys.at(found).brand), How::name};
        if (run.size() < 6)
            continue;
        // Shorter keys first, then list order.
        const Key *best = nullptr;
        const auto consider = [&](int row) {
            const Key &key = m_keys.at(row);
            if (!key.typos
                || (best
                    && (best->text.size() < key.text.size()
                        || (best->text.size() == key.text.size() && best <= &key))))
                return;
            if (withinOneEdit(run, key.text))
                best = &key;
        };
        qsizetype sameLength = 0;
        for (qsizetype length = run.size() - 1; length <= run.size() + 1 && length < maxKeyLength;
             ++length)
            sameLength += m_keysByLength[length].size();
        if (sameLength <= 2 * (run.size() + 1)) {
            for (qsizetype length = run.size() - 1;
                 length <= run.size() + 1 && length < maxKeyLength; ++length) {
                for (const int row : m_keysByLength[length])
                    consider(row);
            }
        } else {
            // Keys one edit away share the run or one of its one-letter
            // deletions.
            const auto considerAll = [&](QStringView text) {
                const auto rows = m_keysByDeletion.constFind(text);
                if (rows != m_keysByDeletion.cend()) {
                    for (const int row : *rows)
                        consider(row);
                }
            };
            considerAll(run);
            QVarLengthArray<QChar, maxKeyLength> deleted;
            for (qsizetype at = 0; at < run.size(); ++at) {
                deleted.clear();
                deleted.append(run.data(), at);
                deleted.append(run.data() + at + 1, run.size() - at - 1);
                considerAll(QStringView(deleted.data(), deleted.size()));
            }
        }
        if (best)
            return Finding {&m_brands.at(best->brand), How::name};
        if (!spelling.m_japaneseRegistration) {
            if (std::optional<Finding> found = findInWord(run))
                return found;
            if (std::optional<Finding> found = findScrambled(run))
                return found;
        }
    }
    for (int labelIndex = 0; labelIndex < spelling.m_localLabels.size(); ++labelIndex) {
        const QStringView label = spelling.m_localLabels.at(labelIndex);
        if (ownName(labelIndex))
            continue;
        for (const auto &[local, row] : m_localNames) {
            // Short names only as a whole piece: "ニトリ" is not in
            // "ニトリル手袋".
            bool found = local.size() >= 4 && label.contains(local);
            for (const QStringView piece : QStringTokenizer(label, u'-'))
                found = found || piece == local;
            if (found)
                return Finding {&m_brands.at(row), How::name};
        }
    }
    return std::nullopt;
}

std::optional<BrandIndex::Finding> BrandIndex::find(const Spelling &spelling) const
{
    if (m_brands.isEmpty())
        return std::nullopt;
    if (spelling.m_homoglyphs) {
        const QStringView folded = spelling.m_foldedHost;
        if (const int brand = officialBrand(folded); brand >= 0)
            return Finding {&m_brands.at(brand), How::homograph};
        std::optional<Finding> found = findPrefix(folded);
        if (!found)
            found = findName(spelling);
        if (found)
            found->how = How::homograph;
        return found;
    }
    if (std::optional<Finding> found = findPrefix(spelling.m_host))
        return found;
    return findName(spelling);
}
