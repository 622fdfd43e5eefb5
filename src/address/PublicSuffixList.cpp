#include "address/PublicSuffixList.h"

#include <libpsl.h>

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
    if (m_context) {
        const QByteArray bytes = hostBytes(host);
        if (const char *suffix = psl_unregistrable_domain(m_context.get(), bytes.constData()))
            return QString::fromUtf8(suffix);
    }
    const qsizetype dot = host.lastIndexOf(u'.');
    return host.sliced(dot + 1).toString().toLower();
}

QString PublicSuffixList::registrableDomain(QStringView host) const
{
    if (host.isEmpty())
        return QString();
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
