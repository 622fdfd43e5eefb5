#pragma once

#include <QString>
#include <QStringList>

// Every reason text a verdict can carry, in one place so that the warning,
// the caution bar and velmora-check's help all say the same.
class SafetyReasons
{
public:
    static QString unparsableAddress();
    static QString hyphenRule();
    static QString patternFallback(const QString &pattern);
    static QString subscribedList(const QString &listName);
    static QString subscribedListAnySite(const QString &listName);
    static QString impersonation(const QString &brand);
    static QString resemblesCertifiedShop(const QString &shop);
    static QString certifiedPrefix(const QString &brand, const QString &domain);
    static QString homograph(const QString &brand, const QString &domain);
    static QString ipAddress();
    static QString dynamicDns(const QString &suffix);
    static QString freeHosting(const QString &suffix);
    static QString riskyTld(const QString &tld);
    static QString cautionTld(const QString &tld);
    static QString machineGeneratedHost();
    static QString madeUpShopName();
    static QString randomLetters();
    static QString counterfeitName();
    static QString wordPairName();
    static QString cautionsTogether();
    static QString accountWords();

    // Each reason with placeholders in angle brackets, for help texts:
    // those of a suspicious verdict, then those of a caution.
    static QStringList suspiciousTemplates();
    static QStringList cautionTemplates();
};
