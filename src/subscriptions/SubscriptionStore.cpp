#include "subscriptions/SubscriptionStore.h"

#include "address/DirectionControls.h"
#include "prefs/PreferencesStore.h"
#include "prefs/StoredJson.h"
#include "prefs/WholeFile.h"
#include "subscriptions/ListDownload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString recordsKeyText()
{
    return QString::fromLatin1(SubscriptionStore::recordsKey);
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'g', 3);
}

// Reads one byte past the limit, so that an oversized file is told apart
// without being read whole. None when the file cannot be read.
std::optional<QByteArray> readFile(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray text = file.read(maxBytes + 1);
    if (file.error() != QFile::NoError)
        return std::nullopt;
    return text;
}

} // namespace

SubscriptionStore::SubscriptionStore(PreferencesStore &preferences, QObject *parent)
    : SubscriptionStore(preferences, Options(), parent)
{ }

SubscriptionStore::SubscriptionStore(PreferencesStore &preferences, const Options &options,
                                     QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_options(options)
    , m_directory(options.directory.isEmpty()
                      ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                          + u"/subscriptions"_s
                      : options.directory)
{
    m_parser.setMaxThreadCount(1);
    connect(&m_checkTimer, &QTimer::timeout, this, &SubscriptionStore::updateDue);
    load();
}

SubscriptionStore::~SubscriptionStore()
{
    m_downloads.clear();
    // A parse that finishes now posts its result to this object, which
    // drops it as it goes.
    m_parser.waitForDone();
}

std::optional<Subscription> SubscriptionStore::subscription(const QUuid &id) const
{
    for (const Subscription &record : m_records) {
        if (record.id == id)
            return record;
    }
    return std::nullopt;
}

QList<SubscriptionStore::EnabledList> SubscriptionStore::enabledLists() const
{
    QList<EnabledList> lists;
    for (const Subscription &record : m_records) {
        if (!record.isEnabled)
            continue;
        if (std::shared_ptr<const BlockList> list = m_lists.value(record.id))
            lists.append({record.id, record.name, std::move(list)});
    }
    return lists;
}

std::shared_ptr<const BlockList> SubscriptionStore::list(const QUuid &id) const
{
    return m_lists.value(id);
}

QString SubscriptionStore::filePath(const QUuid &id) const
{
    return m_directory + u'/' + StoredJson::idText(id) + u".txt"_s;
}

Subscription SubscriptionStore::builtInRecord() const
{
    Subscription record;
    record.id = builtInId;
    record.name = QString::fromUtf16(builtInName);
    record.address = m_options.builtInAddress;
    record.source = Subscription::Source::BuiltIn;
    record.isEnabled = true;
    return record;
}

void SubscriptionStore::load()
{
    const QString key = recordsKeyText();
    std::optional<QList<Subscription>> stored;
    if (const std::optional<QByteArray> bytes = m_preferences.data(key))
        stored = StoredJson::decodeArray<Subscription>(*bytes);
    if (!stored) {
        // Kept aside before the defaults below replace it; an empty value
        // holds nothing worth a backup.
        if (const std::optional<QByteArray> raw = m_preferences.rawBytes(key);
            raw && !raw->isEmpty())
            m_preferences.keepUnreadable(key, *raw);
    }

    QList<Subscription> records;
    QSet<QUuid> ids;
    bool hasBuiltIn = false;
    for (Subscription record : stored.value_or(QList<Subscription>())) {
        if (ids.contains(record.id))
            continue;
        ids.insert(record.id);
        if (record.id == builtInId) {
            // Name and address are the program's, so a new version may move them.
            const bool isEnabled = record.isEnabled;
            const Subscription defaults = builtInRecord();
            record.name = defaults.name;
            record.address = defaults.address;
            record.source = defaults.source;
            record.isEnabled = isEnabled;
            hasBuiltIn = true;
        } else if (record.source == Subscription::Source::BuiltIn) {
            record.source = Subscription::Source::Download;
        }
        records.append(record);
    }
    if (!hasBuiltIn)
        records.prepend(builtInRecord());

    bool setAsideAny = false;
    for (Subscription &record : records) {
        std::shared_ptr<const BlockList> list;
        if (const std::optional<QByteArray> text
            = readFile(filePath(record.id), m_options.maxBytes)) {
            // A copy can be damaged after it was written (a power cut, a full
            // disk, another program). The built-in list's would replace a
            // snapshot that has rules.
            std::shared_ptr<const BlockList> saved = BlockList::parse(*text);
            if (const QString reason
                = refusal(*text, *saved, record.isBuiltIn(), m_options.maxBytes);
                reason.isEmpty()) {
                list = std::move(saved);
            } else {
                setAside(record, reason);
                setAsideAny = true;
            }
        }
        if (record.isBuiltIn() && !list) {
            QFile snapshot(QString::fromLatin1(builtInSnapshot));
            if (snapshot.open(QIODevice::ReadOnly))
                list = BlockList::parse(snapshot.readAll());
        }
        record.describe(list.get());
        if (list)
            m_lists.insert(record.id, std::move(list));
    }
    m_records = records;
    if (!stored || !hasBuiltIn || setAsideAny)
        saveRecords();
}

void SubscriptionStore::setAside(Subscription &record, const QString &reason) const
{
    QString error = u"保存したリストを読み込めませんでした（%1）。"_s.arg(reason);
    if (record.isBuiltIn())
        error += u"同梱のリストで判定しています。"_s;
    else if (record.isDownloaded())
        error += u"次の更新で取得し直します。"_s;
    // A reader that stores nothing (a check from the command line) leaves
    // the file for the browser to find and explain.
    if (!m_preferences.isReadOnly()) {
        const QString path = filePath(record.id);
        const QString base
            = path + QLatin1String(unreadableSuffix) + now().toString(u"yyyyMMdd-HHmmss"_s);
        QString target = base;
        for (int n = 2; QFile::exists(target); ++n)
            target = base + u'-' + QString::number(n);
        if (QFile::rename(path, target))
            error += u"元のファイルは %1 として残しました。"_s.arg(QFileInfo(target).fileName());
        else
            qWarning("Subscribed list not used: could not move the damaged %s aside",
                     qUtf8Printable(path));
    }
    record.lastError = error;
    // They described the copy set aside. With no date, the list is fetched
    // at once and its row no longer claims a copy it does not use.
    record.lastUpdated = QDateTime();
    record.etag.clear();
    record.lastModified.clear();
}

void SubscriptionStore::saveRecords()
{
    m_preferences.setData(recordsKeyText(), StoredJson::encodeArray(m_records));
}

Subscription *SubscriptionStore::record(const QUuid &id)
{
    const auto found = std::find_if(m_records.begin(), m_records.end(),
                                    [&id](const Subscription &record) { return record.id == id; });
    return found == m_records.end() ? nullptr : &*found;
}

QDateTime SubscriptionStore::now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentDateTimeUtc();
}

bool SubscriptionStore::isDue(const Subscription &record) const
{
    if (!record.isDownloaded() || !record.isEnabled)
        return false;
    // The bundled snapshot, or a copy that went missing, is replaced at once.
    if (!record.lastUpdated.isValid() || !QFileInfo::exists(filePath(record.id)))
        return true;
    return std::chrono::milliseconds(record.lastUpdated.msecsTo(now())) >= m_options.maxAge;
}

void SubscriptionStore::start()
{
    m_checkTimer.start(m_options.checkInterval);
    updateDue();
}

void SubscriptionStore::updateDue()
{
    for (const Subscription &record : std::as_const(m_records)) {
        if (isDue(record))
            update(record.id);
    }
}

SubscriptionStore::Outcome SubscriptionStore::add(const QString &address)
{
    const QString text = address.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid() || url.isRelative())
        return {QUuid(), u"アドレスを読み取れませんでした。"_s};
    if (url.scheme() != "https"_L1)
        return {QUuid(), u"https:// で始まるアドレスだけを購読できます。"_s};
    if (url.host().isEmpty())
        return {QUuid(), u"アドレスを読み取れませんでした。"_s};
    const QUrl normalised = url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
    for (const Subscription &record : std::as_const(m_records)) {
        if (record.address.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments)
            == normalised)
            return {QUuid(), u"このリストはすでに購読しています。"_s};
    }

    Subscription record;
    record.id = QUuid::createUuid();
    // Until the list's own title arrives.
    record.name = normalised.host();
    record.address = normalised;
    record.source = Subscription::Source::Download;
    m_records.append(record);
    saveRecords();
    Q_EMIT subscriptionsChanged();
    update(record.id);
    return {record.id, QString()};
}

SubscriptionStore::Outcome SubscriptionStore::importFile(const QString &path)
{
    const QFileInfo info(path);
    const std::optional<QByteArray> text = readFile(path, m_options.maxBytes);
    if (!text)
        return {QUuid(), u"ファイルを読み込めませんでした（%1）。"_s.arg(info.fileName())};
    // Held to what its copy must pass at every start, and a list that judges
    // nothing is not worth adding.
    std::shared_ptr<const BlockList> list = BlockList::parse(*text);
    if (const QString reason = refusal(*text, *list, true, m_options.maxBytes); !reason.isEmpty())
        return {QUuid(), u"ファイルをリストとして使えません（%1）。"_s.arg(reason)};

    Subscription record;
    record.id = QUuid::createUuid();
    record.name = list->title().isEmpty() ? DirectionControls::removed(info.completeBaseName())
                                          : list->title();
    record.address = QUrl::fromLocalFile(info.absoluteFilePath());
    record.source = Subscription::Source::LocalFile;
    record.lastUpdated = now();
    if (const QString error = writeListFile(record.id, *text); !error.isEmpty())
        return {QUuid(), error};
    record.describe(list.get());
    m_records.append(record);
    m_lists.insert(record.id, std::move(list));
    saveRecords();
    Q_EMIT subscriptionsChanged();
    Q_EMIT listsChanged();
    return {record.id, QString()};
}

bool SubscriptionStore::remove(const QUuid &id)
{
    const Subscription *found = record(id);
    if (!found || found->isBuiltIn())
        return false;
    const bool judged = found->isEnabled && m_lists.contains(id);
    m_downloads.erase(id);
    m_parsing.remove(id);
    m_records.removeIf([&id](const Subscription &record) { return record.id == id; });
    m_lists.remove(id);
    saveRecords();
    // The record is gone first: a file left behind is only a stray copy.
    QFile::remove(filePath(id));
    Q_EMIT subscriptionsChanged();
    if (judged)
        Q_EMIT listsChanged();
    return true;
}

void SubscriptionStore::setEnabled(const QUuid &id, bool enabled)
{
    Subscription *found = record(id);
    if (!found || found->isEnabled == enabled)
        return;
    found->isEnabled = enabled;
    saveRecords();
    Q_EMIT subscriptionsChanged();
    if (m_lists.contains(id))
        Q_EMIT listsChanged();
    // A list switched back on after a long pause should not judge with a
    // stale copy until the next look.
    if (m_checkTimer.isActive() && isDue(*found))
        update(id);
}

void SubscriptionStore::update(const QUuid &id)
{
    const Subscription *found = record(id);
    if (!found || !found->isDownloaded() || isUpdating(id))
        return;
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();

    ListDownload::Request request;
    request.address = found->address;
    // Validators only for a copy actually on disk: a "not modified" answer
    // must never leave a list without one.
    if (QFileInfo::exists(filePath(id))) {
        request.etag = found->etag;
        request.lastModified = found->lastModified;
    }
    request.timeout = m_options.timeout;
    request.maxBytes = m_options.maxBytes;
    request.sslConfiguration
        = m_options.sslConfiguration.value_or(QSslConfiguration::defaultConfiguration());
    auto download = std::make_unique<ListDownload>(*m_network, request);
    connect(download.get(), &ListDownload::finished, this, [this, id] { downloadFinished(id); });
    m_downloads[id] = std::move(download);
    Q_EMIT updateStarted(id);
}

void SubscriptionStore::updateAll()
{
    for (const Subscription &record : std::as_const(m_records))
        update(record.id);
}

bool SubscriptionStore::isUpdating(const QUuid &id) const
{
    return m_downloads.count(id) > 0 || m_parsing.contains(id);
}

void SubscriptionStore::resetToDefaults()
{
    setEnabled(builtInId, true);
}

void SubscriptionStore::downloadFinished(const QUuid &id)
{
    const auto found = m_downloads.find(id);
    if (found == m_downloads.end())
        return;
    // Deleted later: this runs inside its signal.
    ListDownload *download = found->second.release();
    m_downloads.erase(found);
    download->deleteLater();

    switch (download->outcome()) {
    case ListDownload::Outcome::NotModified: {
        Subscription *updated = record(id);
        if (!updated)
            return;
        // Asked without validators, as there was no copy to keep.
        if (!QFileInfo::exists(filePath(id))) {
            finishAttempt(id, u"サーバーから思わぬ応答がありました（HTTP 304）。"_s);
            return;
        }
        updated->lastUpdated = now();
        updated->lastError.clear();
        if (!download->etag().isEmpty())
            updated->etag = download->etag();
        if (!download->lastModified().isEmpty())
            updated->lastModified = download->lastModified();
        saveRecords();
        Q_EMIT subscriptionsChanged();
        Q_EMIT updateFinished(id);
        return;
    }
    case ListDownload::Outcome::Fetched: {
        m_parsing.insert(id);
        const QByteArray text = download->body();
        const QString etag = download->etag();
        const QString lastModified = download->lastModified();
        // The window stays responsive while a large list parses.
        m_parser.start([this, id, text, etag, lastModified] {
            std::shared_ptr<const BlockList> list = BlockList::parse(text);
            QMetaObject::invokeMethod(
                this,
                [this, id, list, text, etag, lastModified] {
                    if (m_parsing.remove(id))
                        accept(id, list, text, etag, lastModified);
                },
                Qt::QueuedConnection);
        });
        return;
    }
    case ListDownload::Outcome::Failed:
    case ListDownload::Outcome::Pending:
        finishAttempt(id, download->error());
        return;
    }
}

void SubscriptionStore::accept(const QUuid &id, const std::shared_ptr<const BlockList> &list,
                               const QByteArray &text, const QString &etag,
                               const QString &lastModified)
{
    Subscription *updated = record(id);
    if (!updated)
        return;
    const std::shared_ptr<const BlockList> old = m_lists.value(id);
    if (const QString reason
        = refusal(text, *list, old && old->ruleCount() > 0, m_options.maxBytes);
        !reason.isEmpty()) {
        finishAttempt(
            id,
            u"受け取ったデータは使えませんでした（%1）。前のリストで判定を続けます。"_s.arg(
                reason));
        return;
    }
    if (const QString error = writeListFile(id, text); !error.isEmpty()) {
        finishAttempt(id, error);
        return;
    }
    updated->lastUpdated = now();
    updated->lastError.clear();
    updated->etag = etag;
    updated->lastModified = lastModified;
    if (updated->source == Subscription::Source::Download && !list->title().isEmpty())
        updated->name = list->title();
    updated->describe(list.get());
    m_lists.insert(id, list);
    saveRecords();
    Q_EMIT subscriptionsChanged();
    if (updated->isEnabled)
        Q_EMIT listsChanged();
    Q_EMIT updateFinished(id);
}

QString SubscriptionStore::refusal(const QByteArray &text, const BlockList &list,
                                   bool mustHaveRules, qint64 maxBytes)
{
    if (text.size() > maxBytes)
        return u"大きすぎます（上限 %1 MB）"_s.arg(megabytes(maxBytes));
    // Garbage (an error page, a broken transfer) parses to lines skipped and
    // no rules; an emptied list while the old one had rules is more likely
    // a fault at the source than every shop gone straight.
    if (list.ruleCount() == 0 && (list.skippedLineCount() > 0 || mustHaveRules))
        return u"リストのルールがありません"_s;
    // No list holds a NUL byte, while a file cut off by a power cut is often
    // padded with them: the lines left whole would judge in place of the list.
    if (text.contains('\0'))
        return u"テキストではありません"_s;
    // Encoded data has the odd line that happens to read as a rule, while a
    // list written by hand may well have a typo or two per rule.
    if (list.skippedLineCount() > 10 * qint64(list.ruleCount()))
        return u"大半の行がルールとして読めません"_s;
    return QString();
}

void SubscriptionStore::finishAttempt(const QUuid &id, const QString &error)
{
    Subscription *failed = record(id);
    if (!failed)
        return;
    failed->lastError = error;
    saveRecords();
    Q_EMIT subscriptionsChanged();
    Q_EMIT updateFinished(id);
}

QString SubscriptionStore::writeListFile(const QUuid &id, const QByteArray &text) const
{
    const QString failed = u"リストを保存できませんでした（%1）。"_s;
    if (!QDir().mkpath(m_directory))
        return failed.arg(m_directory);
    const QString reason = WholeFile::write(filePath(id), text);
    return reason.isEmpty() ? QString() : failed.arg(reason);
}

SubscriptionStore::ExportResult SubscriptionStore::exportPatterns(const QString &path,
                                                                  const QStringList &patterns)
{
    const BlockListExporter::Result exported
        = BlockListExporter::write(u"Velmora Shopping Browser の除外パターン"_s, patterns);
    ExportResult result;
    result.leftOut = exported.leftOut;
    if (const QString reason = WholeFile::write(path, exported.utf8); !reason.isEmpty())
        result.error = u"ファイルに書き込めませんでした（%1）。"_s.arg(reason);
    return result;
}
