#pragma once

#include <QHashFunctions>
#include <QStringView>

// A host name, a parent name or a label as a hash key. A verdict looks up the
// host and each of its parent names in some ten tables; measured, Qt 6.4's
// string hash took half of a verdict's time on these short names. This one
// reads four characters a step, once per key, and QHash's per-process seed
// is mixed in at lookup. It is no defence against names made to collide, but
// only rule and list authors insert keys, and list size is capped: such names
// could slow the building of a table, not the judging of a page.
//
// The key views its text: the table's keys must outlive the table.
class DomainKey
{
public:
    // Implicit, so that a QStringView looks up a table keyed by DomainKey.
    constexpr DomainKey(QStringView text) noexcept
        : m_text(text)
        , m_hash(hashOf(text))
    { }

    friend bool operator==(const DomainKey &a, const DomainKey &b) noexcept
    {
        return a.m_hash == b.m_hash && a.m_text == b.m_text;
    }
    friend size_t qHash(const DomainKey &key, size_t seed) noexcept
    {
        return size_t(mix(key.m_hash ^ seed));
    }

private:
    static constexpr quint64 mix(quint64 h) noexcept
    {
        h *= 0xff51afd7ed558ccdULL;
        return h ^ (h >> 32);
    }

    static constexpr quint64 hashOf(QStringView text) noexcept
    {
        quint64 h = 0x9e3779b97f4a7c15ULL ^ quint64(text.size());
        const char16_t *p = text.utf16();
        qsizetype left = text.size();
        for (; left >= 4; left -= 4, p += 4)
            h = mix(h
                    ^ (quint64(p[0]) | quint64(p[1]) << 16 | quint64(p[2]) << 32
                       | quint64(p[3]) << 48));
        quint64 tail = 0;
        for (qsizetype i = 0; i < left; ++i)
            tail |= quint64(p[i]) << (16 * i);
        return mix(h ^ tail);
    }

    QStringView m_text;
    quint64 m_hash;
};

// The name one label up ("example.co.jp" for "www.example.co.jp"), or empty
// for a single label. A plain loop: these names are too short for Qt's
// vectorised search to pay for its set-up.
constexpr QStringView parentName(QStringView name) noexcept
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u'.')
            return name.sliced(i + 1);
    }
    return {};
}
