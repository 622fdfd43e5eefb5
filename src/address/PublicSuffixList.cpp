#include "address/PublicSuffixList.h"

#include <QFile>
#include <QUrl>

#include <libpsl.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QByteArray hostBytes(QStringView host)
{
    // libpsl reads UTF-8 and wants lower case; hosts here are ASCII already.
    return host.toString().toLower().toUtf8();
}

} // namespace

void PublicSuffixList::ContextDeleter::operator()(psl_ctx_st *context) const
{
    psl_free(context);
}

PublicSuffixList::PublicSuffixList()
    : m_context(psl_latest(nullptr))
{
    // psl_latest() falls back to the built-in copy; only a libpsl built
    // without one and with no system file leaves nothing, and then every
    // host's last label is its suffix (the list's own default rule).
    if (m_context)
        buildIndex();
}

void PublicSuffixList::buildIndex()
{
    // Read whole and walked as bytes: this runs on every start, and line by
    // line through QString it was the larger part of building the tables.
    QFile file(QString::fromLocal8Bit(psl_builtin_filename()));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = file.readAll();
    m_rules.reserve(text.count('\n'));
    for (QByteArrayView rest(text); !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = rest.first(end < 0 ? rest.size() : end).trimmed();
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.isEmpty() || line.startsWith("//"))
            continue;
        if (const qsizetype space = line.indexOf(' '); space >= 0)
            line.truncate(space);
        quint8 kind = plain;
        if (line.startsWith("*.")) {
            kind = wildcard;
            line = line.sliced(2);
        } else if (line.startsWith('!')) {
            kind = exception;
            line = line.sliced(1);
        }
        const bool ascii
            = std::all_of(line.begin(), line.end(), [](char c) { return uchar(c) < 0x80; });
        const QByteArray ace
            = ascii ? line.toByteArray().toLower() : QUrl::toAce(QString::fromUtf8(line));
        if (ace.isEmpty())
            continue;
        // Kept only where libpsl agrees, so the index never answers
        // differently from the library.
        const QByteArray probe = kind == wildcard ? "x--probe." + ace : ace;
        const bool listed
            = psl_is_public_suffix2(m_context.get(), probe.constData(), PSL_TYPE_ANY) != 0;
        if (listed != (kind != exception))
            continue;
        // The keys view the stored names, whose characters stay put as the
        // list grows.
        const QString name = QString::fromLatin1(ace);
        if (const auto known = m_rules.find(QStringView(name)); known != m_rules.end()) {
            *known |= kind;
            continue;
        }
        m_ruleStorage.append(name);
        m_rules.insert(QStringView(m_ruleStorage.constLast()), kind);
    }
}

QStringView PublicSuffixList::publicSuffixOf(QStringView host) const
{
    if (!m_rules.isEmpty())
        return indexedSuffix(host);
    return host.last(std::min(host.size(), publicSuffix(host).size()));
}

QStringView PublicSuffixList::indexedSuffix(QStringView host) const
{
    // Longest rule first; an exception rule names a registrable domain, whose
    // parent is the suffix.
    // Each name's rule is looked up once: as the parent of one step, it is
    // the name of the next.
    quint8 kind = m_rules.value(host, 0);
    for (QStringView rest = host;;) {
        const QStringView parent = parentName(rest);
        if (kind & exception)
            return parent;
        if (kind & plain)
            return rest;
        const quint8 parentKind = parent.isEmpty() ? 0 : m_rules.value(parent, 0);
        if (parentKind & wildcard)
            return rest;
        if (parent.isEmpty())
            return rest;
        rest = parent;
        kind = parentKind;
    }
}

PublicSuffixList::~PublicSuffixList() = default;

const PublicSuffixList &PublicSuffixList::system()
{
    static const PublicSuffixList list;
    return list;
}

bool PublicSuffixList::isPublicSuffix(QStringView host) const
{
    if (host.isEmpty())
        return false;
    if (!m_context)
        return !host.contains(u'.');
    return psl_is_public_suffix2(m_context.get(), hostBytes(host).constData(), PSL_TYPE_ANY) != 0;
}

QString PublicSuffixList::publicSuffix(QStringView host) const
{
    if (host.isEmpty())
        return QString();
    if (!m_rules.isEmpty()) {
        bool lower = true;
        for (const QChar c : host)
            lower = lower && c.unicode() < 0x80 && !(c.unicode() >= u'A' && c.unicode() <= u'Z');
        if (lower)
            return indexedSuffix(host).toString();
    }
    if (m_context) {
        const QByteArray bytes = hostBytes(host);
        if (const char *suffix = psl_unregistrable_domain(m_context.get(), bytes.constData()))
            return QString::fromUtf8(suffix);
    }
    const qsizetype dot = host.lastIndexOf(u'.');
    return host.sliced(dot + 1).toString().toLower();
}

QStringView PublicSuffixList::registrableDomainOf(QStringView host, QStringView suffix)
{
    if (host.size() <= suffix.size() + 1)
        return {};
    const QStringView before = host.first(host.size() - suffix.size() - 1);
    return host.sliced(before.lastIndexOf(u'.') + 1);
}

QString PublicSuffixList::registrableDomain(QStringView host) const
{
    if (host.isEmpty())
        return QString();
    if (!m_rules.isEmpty()) {
        const QString suffix = publicSuffix(host);
        return registrableDomainOf(host, suffix).toString().toLower();
    }
    if (m_context) {
        const QByteArray bytes = hostBytes(host);
        const char *domain = psl_registrable_domain(m_context.get(), bytes.constData());
        return domain ? QString::fromUtf8(domain) : QString();
    }
    const qsizetype last = host.lastIndexOf(u'.');
    if (last <= 0)
        return QString();
    const qsizetype before = host.first(last).lastIndexOf(u'.');
    return host.sliced(before + 1).toString().toLower();
}

bool PublicSuffixList::isPrivateSuffix(QStringView suffix) const
{
    if (!m_context || suffix.isEmpty())
        return false;
    return psl_is_public_suffix2(m_context.get(), hostBytes(suffix).constData(),
                                 PSL_TYPE_PRIVATE | PSL_TYPE_NO_STAR_RULE)
        != 0;
}

bool PublicSuffixList::isListedSuffix(QStringView suffix) const
{
    if (!m_context || suffix.isEmpty())
        return false;
    return psl_is_public_suffix2(m_context.get(), hostBytes(suffix).constData(),
                                 PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE)
        != 0;
}
