#include "rules/SearchFilterMode.h"

QList<SearchFilterMode> allSearchFilterModes()
{
    return {SearchFilterMode::trustedOnly, SearchFilterMode::excludeSuspicious,
            SearchFilterMode::directShopSearch};
}

QString rawValue(SearchFilterMode mode)
{
    switch (mode) {
    case SearchFilterMode::trustedOnly:
        return QStringLiteral("trustedOnly");
    case SearchFilterMode::excludeSuspicious:
        return QStringLiteral("excludeSuspicious");
    case SearchFilterMode::directShopSearch:
        return QStringLiteral("directShopSearch");
    }
    return QString();
}

std::optional<SearchFilterMode> searchFilterModeFromRawValue(const QString &raw)
{
    for (const SearchFilterMode mode : allSearchFilterModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

QString displayName(SearchFilterMode mode)
{
    switch (mode) {
    case SearchFilterMode::trustedOnly:
        return QStringLiteral("認定正規店のみ検索");
    case SearchFilterMode::excludeSuspicious:
        return QStringLiteral("詐欺・怪しいサイト除外");
    case SearchFilterMode::directShopSearch:
        return QStringLiteral("指定ショップダイレクト");
    }
    return QString();
}

QString descriptionText(SearchFilterMode mode)
{
    switch (mode) {
    case SearchFilterMode::trustedOnly:
        return QStringLiteral(
            "Amazon、楽天、ヨドバシ等の正規公認ストアのみを対象に安心検索します。");
    case SearchFilterMode::excludeSuspicious:
        return QStringLiteral(
            "悪質通販で多用される不審TLD（.top, .xyz等）や危険ドメインを自動除外します。");
    case SearchFilterMode::directShopSearch:
        return QStringLiteral("選択した特定の正規ECショップ（複数可）へ直接クエリを送信します。");
    }
    return QString();
}

QString iconName(SearchFilterMode mode)
{
    switch (mode) {
    case SearchFilterMode::trustedOnly:
        return QStringLiteral("checkmark.seal.fill");
    case SearchFilterMode::excludeSuspicious:
        return QStringLiteral("shield.checkerboard");
    case SearchFilterMode::directShopSearch:
        return QStringLiteral("bag.fill");
    }
    return QString();
}
