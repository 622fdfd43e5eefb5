#include "subscriptions/Subscription.h"

#include "prefs/StoredJson.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::pair<Subscription::Source, QLatin1StringView> sourceNames[] = {
    {Subscription::Source::BuiltIn, "builtIn"_L1},
    {Subscription::Source::Download, "download"_L1},
    {Subscription::Source::LocalFile, "localFile"_L1},
};

QString sourceText(Subscription::Source source)
{
    for (const auto &[value, name] : sourceNames) {
        if (value == source)
            return name;
    }
    return QString();
}

std::optional<Subscription::Source> sourceFromText(const QString &text)
{
    for (const auto &[value, name] : sourceNames) {
        if (text == name)
            return value;
    }
    return std::nullopt;
}

} // namespace

void Subscription::describe(const BlockList *list)
{
    ruleCount = list ? list->ruleCount() : 0;
    skippedLineCount = list ? list->skippedLineCount() : 0;
    skippedLines = list ? list->skippedLines() : QList<BlockList::SkippedLine>();
    publicSuffixEntries
        = list ? list->publicSuffixEntries() : QList<BlockList::PublicSuffixEntry>();
}

QJsonObject Subscription::toJson() const
{
    QJsonObject object;
    object.insert("id"_L1, StoredJson::idText(id));
    object.insert("name"_L1, name);
    object.insert("address"_L1, address.toString(QUrl::FullyEncoded));
    object.insert("source"_L1, sourceText(source));
    object.insert("isEnabled"_L1, isEnabled);
    object.insert("lastUpdated"_L1,
                  lastUpdated.isValid() ? lastUpdated.toUTC().toString(Qt::ISODateWithMs)
                                        : QString());
    object.insert("lastError"_L1, lastError);
    object.insert("etag"_L1, etag);
    object.insert("lastModified"_L1, lastModified);
    return object;
}

std::optional<Subscription> Subscription::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto id = StoredJson::requireId(object, "id"_L1);
    const auto name = StoredJson::requireString(object, "name"_L1);
    const auto address = StoredJson::requireString(object, "address"_L1);
    const auto source = StoredJson::requireString(object, "source"_L1);
    const auto isEnabled = StoredJson::requireBool(object, "isEnabled"_L1);
    const auto lastUpdated = StoredJson::requireString(object, "lastUpdated"_L1);
    const auto lastError = StoredJson::requireString(object, "lastError"_L1);
    const auto etag = StoredJson::requireString(object, "etag"_L1);
    const auto lastModified = StoredJson::requireString(object, "lastModified"_L1);
    if (!id || !name || !address || !source || !isEnabled || !lastUpdated || !lastError || !etag
        || !lastModified)
        return std::nullopt;
    const auto sourceValue = sourceFromText(*source);
    const QUrl url(*address, QUrl::StrictMode);
    const QDateTime updated = QDateTime::fromString(*lastUpdated, Qt::ISODateWithMs);
    if (!sourceValue || !url.isValid() || (!lastUpdated->isEmpty() && !updated.isValid()))
        return std::nullopt;

    Subscription subscription;
    subscription.id = *id;
    subscription.name = *name;
    subscription.address = url;
    subscription.source = *sourceValue;
    subscription.isEnabled = *isEnabled;
    subscription.lastUpdated = updated.toUTC();
    subscription.lastError = *lastError;
    subscription.etag = *etag;
    subscription.lastModified = *lastModified;
    return subscription;
}
