#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// The verdict on an address: trusted (with the shop's name), suspicious (with
// its reasons, never empty) or neutral (with the lower-cased host, or "不明").
class SafetyLevel
{
public:
    enum class Kind { trusted, suspicious, neutral };

    // Default: neutral with an empty domain (a placeholder, never a verdict).
    SafetyLevel() = default;

    static SafetyLevel trusted(const QString &shopName);
    static SafetyLevel suspicious(const QStringList &reasons);
    static SafetyLevel neutral(const QString &domain);

    Kind kind() const { return m_kind; }
    bool isTrusted() const { return m_kind == Kind::trusted; }
    bool isSuspicious() const { return m_kind == Kind::suspicious; }
    bool isNeutral() const { return m_kind == Kind::neutral; }

    // Payload accessors; each is empty for the other cases.
    QString shopName() const;
    QStringList reasons() const;
    QString domain() const;

    friend bool operator==(const SafetyLevel &, const SafetyLevel &) = default;

private:
    SafetyLevel(Kind kind, const QString &text, const QStringList &reasons);

    Kind m_kind = Kind::neutral;
    QString m_text;
    QStringList m_reasons;
};

Q_DECLARE_METATYPE(SafetyLevel)
