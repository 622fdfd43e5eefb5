#include "rules/SearchFilterMode.h"

#include <QMetaEnum>

QList<SearchFilterMode> allSearchFilterModes()
{
    const QMetaEnum meta = QMetaEnum::fromType<SearchFilterMode>();
    QList<SearchFilterMode> values;
    for (int i = 0; i < meta.keyCount(); ++i)
        values.append(SearchFilterMode(meta.value(i)));
    return values;
}

QString rawValue(SearchFilterMode mode)
{
    return QString::fromLatin1(QMetaEnum::fromType<SearchFilterMode>().valueToKey(int(mode)));
}

std::optional<SearchFilterMode> searchFilterModeFromRawValue(const QString &raw)
{
    // The meta enum also takes scoped names ("X::y"); stored texts never are.
    if (raw.contains(u':'))
        return std::nullopt;
    bool ok = false;
    const int value
        = QMetaEnum::fromType<SearchFilterMode>().keyToValue(raw.toUtf8().constData(), &ok);
    return ok ? std::optional<SearchFilterMode>(SearchFilterMode(value)) : std::nullopt;
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
