#include "rules/SearchTargetEngine.h"

#include <QMetaEnum>

QList<SearchTargetEngine> allSearchTargetEngines()
{
    const QMetaEnum meta = QMetaEnum::fromType<SearchTargetEngine>();
    QList<SearchTargetEngine> values;
    for (int i = 0; i < meta.keyCount(); ++i)
        values.append(SearchTargetEngine(meta.value(i)));
    return values;
}

QString rawValue(SearchTargetEngine engine)
{
    return QString::fromLatin1(QMetaEnum::fromType<SearchTargetEngine>().valueToKey(int(engine)));
}

std::optional<SearchTargetEngine> searchTargetEngineFromRawValue(const QString &raw)
{
    // The meta enum also takes scoped names ("X::y"); stored texts never are.
    if (raw.contains(u':'))
        return std::nullopt;
    bool ok = false;
    const int value
        = QMetaEnum::fromType<SearchTargetEngine>().keyToValue(raw.toUtf8().constData(), &ok);
    return ok ? std::optional<SearchTargetEngine>(SearchTargetEngine(value)) : std::nullopt;
}

QString displayName(SearchTargetEngine engine)
{
    switch (engine) {
    case SearchTargetEngine::googleShopping:
        return QStringLiteral("🛒 Googleショッピング検索 (ショップ価格比較)");
    case SearchTargetEngine::googleWeb:
        return QStringLiteral("🌐 Google Web安心検索 (通常Web)");
    }
    return QString();
}

QString iconName(SearchTargetEngine engine)
{
    switch (engine) {
    case SearchTargetEngine::googleShopping:
        return QStringLiteral("cart.fill");
    case SearchTargetEngine::googleWeb:
        return QStringLiteral("globe");
    }
    return QString();
}
