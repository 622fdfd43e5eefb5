#include "window/NavigationSection.h"

QList<NavigationSection> allNavigationSections()
{
    return {NavigationSection::browser,       NavigationSection::bookmarks,
            NavigationSection::history,       NavigationSection::trustedShops,
            NavigationSection::securityRules, NavigationSection::subscriptions,
            NavigationSection::settings};
}

QString title(NavigationSection section)
{
    switch (section) {
    case NavigationSection::browser:
        return QStringLiteral("安心ブラウザ");
    case NavigationSection::bookmarks:
        return QStringLiteral("ブックマーク");
    case NavigationSection::history:
        return QStringLiteral("履歴");
    case NavigationSection::trustedShops:
        return QStringLiteral("正規ショップ一覧");
    case NavigationSection::securityRules:
        return QStringLiteral("危険除外ルール");
    case NavigationSection::subscriptions:
        return QStringLiteral("購読リスト");
    case NavigationSection::settings:
        return QStringLiteral("設定・テーマ");
    }
    Q_UNREACHABLE();
}

QString iconName(NavigationSection section)
{
    switch (section) {
    case NavigationSection::browser:
        return QStringLiteral("cart.fill");
    case NavigationSection::bookmarks:
        return QStringLiteral("star.fill");
    case NavigationSection::history:
        return QStringLiteral("clock.arrow.circlepath");
    case NavigationSection::trustedShops:
        return QStringLiteral("checkmark.seal.fill");
    case NavigationSection::securityRules:
        return QStringLiteral("shield.slash.fill");
    case NavigationSection::subscriptions:
        return QStringLiteral("list.bullet.rectangle");
    case NavigationSection::settings:
        return QStringLiteral("gearshape.fill");
    }
    Q_UNREACHABLE();
}

QString groupTitle(NavigationSection section)
{
    switch (section) {
    case NavigationSection::browser:
    case NavigationSection::bookmarks:
    case NavigationSection::history:
        return QStringLiteral("メイン");
    case NavigationSection::trustedShops:
    case NavigationSection::securityRules:
    case NavigationSection::subscriptions:
        return QStringLiteral("セキュリティ");
    case NavigationSection::settings:
        return QStringLiteral("システム");
    }
    Q_UNREACHABLE();
}
