#include "safety/SafetyReasons.h"

#include "rules/RuleSet.h"

using namespace Qt::StringLiterals;

QString SafetyReasons::unparsableAddress()
{
    return u"アドレスを正しく解析できないため安全を確認できません"_s;
}

QString SafetyReasons::hyphenRule()
{
    return u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_s;
}

QString SafetyReasons::patternFallback(const QString &pattern)
{
    return RuleSet::fallbackReason(pattern);
}

QString SafetyReasons::subscribedList(const QString &listName)
{
    return u"購読リスト「%1」に掲載"_s.arg(listName);
}

QString SafetyReasons::subscribedListAnySite(const QString &listName)
{
    return u"購読リスト「%1」の、サイトを問わない規則に一致"_s.arg(listName);
}

QString SafetyReasons::impersonation(const QString &brand)
{
    return u"%1を装った偽サイトの疑い"_s.arg(brand);
}

QString SafetyReasons::resemblesCertifiedShop(const QString &shop)
{
    return u"認定ショップ「%1」と同じ名前を含む別のサイトです。公式サイトか確認してください"_s.arg(
        shop);
}

QString SafetyReasons::certifiedPrefix(const QString &brand, const QString &domain)
{
    return u"%1の正規ドメイン (%2) を先頭に付けて装った偽サイトの疑い"_s.arg(brand, domain);
}

QString SafetyReasons::homograph(const QString &brand, const QString &domain)
{
    return u"見た目の似た別の文字で%1 (%2) を装った偽サイトの疑い"_s.arg(brand, domain);
}

QString SafetyReasons::ipAddress()
{
    return u"ドメイン名ではなくIPアドレスで直接開くサイト (正規の通販サイトでは使われません)"_s;
}

QString SafetyReasons::dynamicDns(const QString &suffix)
{
    return u"誰でも無料で作れるダイナミックDNSのアドレス (%1)"_s.arg(suffix);
}

QString SafetyReasons::freeHosting(const QString &suffix)
{
    return u"偽サイトに悪用の多い無料ホスティングのアドレス (%1)"_s.arg(suffix);
}

QString SafetyReasons::riskyTld(const QString &tld)
{
    return u"フィッシング・詐欺サイトで多発するTLD (.%1)"_s.arg(tld);
}

QString SafetyReasons::cautionTld(const QString &tld)
{
    return u"詐欺サイトでの悪用が多いTLD (.%1)"_s.arg(tld);
}

QString SafetyReasons::machineGeneratedHost()
{
    return u"自動生成された無意味な文字列のドメイン (フィッシングで多用)"_s;
}

QString SafetyReasons::madeUpShopName()
{
    return u"公認ショップではありません。購入前に特定商取引法の表記と支払方法を確認してください"_s;
}

QString SafetyReasons::randomLetters()
{
    return u"でたらめな文字の並びのドメイン名 (フィッシングサイトに多い形)"_s;
}

QString SafetyReasons::counterfeitName()
{
    return u"コピー品 (偽ブランド品) の販売を示す名前のサイトです"_s;
}

QString SafetyReasons::wordPairName()
{
    return u"英単語を2つ並べただけの名前 (偽ショップに多い付け方)"_s;
}

QString SafetyReasons::accountWords()
{
    return u"ログインやアカウント確認を装う語 (login, account など) を含むアドレス"_s;
}

QString SafetyReasons::cautionsTogether()
{
    return u"注意すべき特徴が複数重なっています"_s;
}

QStringList SafetyReasons::suspiciousTemplates()
{
    return {
        unparsableAddress(),
        patternFallback(u"<パターン>"_s),
        subscribedList(u"<リスト名>"_s),
        hyphenRule(),
        impersonation(u"<ブランド>"_s),
        certifiedPrefix(u"<ブランド>"_s, u"<ドメイン>"_s),
        homograph(u"<ブランド>"_s, u"<ドメイン>"_s),
        ipAddress(),
        dynamicDns(u"<サフィックス>"_s),
        freeHosting(u"<サフィックス>"_s),
        riskyTld(u"<TLD>"_s),
        machineGeneratedHost(),
        cautionsTogether(),
    };
}

QStringList SafetyReasons::cautionTemplates()
{
    // The hosting reasons also serve as cautions where a service is only
    // sometimes abused.
    return {
        resemblesCertifiedShop(u"<認定ショップ>"_s),
        subscribedListAnySite(u"<リスト名>"_s),
        dynamicDns(u"<サフィックス>"_s),
        freeHosting(u"<サフィックス>"_s),
        cautionTld(u"<TLD>"_s),
        madeUpShopName(),
        randomLetters(),
        accountWords(),
        counterfeitName(),
        wordPairName(),
    };
}
