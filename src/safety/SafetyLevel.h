#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// The verdict on an address: trusted (with the shop's name), suspicious (with
// its reasons, never empty), caution (with its reasons, never empty: signals
// too weak to block, the page loads) or neutral (with the lower-cased host,
// or "不明").
class SafetyLevel
{
public:
    enum class Kind { trusted, suspicious, neutral, caution };

    // The real shop behind a look-alike host, offered on the warning as
    // "did you mean".
    struct Suggestion
    {
        QString name;
        QString domain;

        bool isEmpty() const { return domain.isEmpty(); }
        friend bool operator==(const Suggestion &, const Suggestion &) = default;
    };

    // Default: neutral with an empty domain (a placeholder, never a verdict).
    SafetyLevel() = default;

    static SafetyLevel trusted(const QString &shopName);
    static SafetyLevel suspicious(const QStringList &reasons, const Suggestion &suggestion = {});
    static SafetyLevel caution(const QStringList &reasons);
    static SafetyLevel neutral(const QString &domain);

    Kind kind() const { return m_kind; }
    bool isTrusted() const { return m_kind == Kind::trusted; }
    bool isSuspicious() const { return m_kind == Kind::suspicious; }
    bool isCaution() const { return m_kind == Kind::caution; }
    bool isNeutral() const { return m_kind == Kind::neutral; }

    // Payload accessors; each is empty for the other cases. reasons() serves
    // both suspicious and caution.
    QString shopName() const;
    QStringList reasons() const;
    QString domain() const;
    Suggestion suggestion() const { return m_suggestion; }

    friend bool operator==(const SafetyLevel &, const SafetyLevel &) = default;

private:
    SafetyLevel(Kind kind, const QString &text, const QStringList &reasons,
                const Suggestion &suggestion = {});

    Kind m_kind = Kind::neutral;
    QString m_text;
    QStringList m_reasons;
    Suggestion m_suggestion;
};

Q_DECLARE_METATYPE(SafetyLevel)
