#include "safety/SafetyLevel.h"

SafetyLevel::SafetyLevel(Kind kind, const QString &text, const QStringList &reasons,
                         const Suggestion &suggestion)
    : m_kind(kind)
    , m_text(text)
    , m_reasons(reasons)
    , m_suggestion(suggestion)
{ }

SafetyLevel SafetyLevel::trusted(const QString &shopName)
{
    return SafetyLevel(Kind::trusted, shopName, {});
}

SafetyLevel SafetyLevel::suspicious(const QStringList &reasons, const Suggestion &suggestion)
{
    return SafetyLevel(Kind::suspicious, QString(), reasons, suggestion);
}

SafetyLevel SafetyLevel::caution(const QStringList &reasons)
{
    return SafetyLevel(Kind::caution, QString(), reasons);
}

SafetyLevel SafetyLevel::neutral(const QString &domain)
{
    return SafetyLevel(Kind::neutral, domain, {});
}

QString SafetyLevel::shopName() const
{
    return m_kind == Kind::trusted ? m_text : QString();
}

QStringList SafetyLevel::reasons() const
{
    return m_kind == Kind::suspicious || m_kind == Kind::caution ? m_reasons : QStringList();
}

QString SafetyLevel::domain() const
{
    return m_kind == Kind::neutral ? m_text : QString();
}
