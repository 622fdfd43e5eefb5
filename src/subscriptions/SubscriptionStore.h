#pragma once

#include "blocklist/BlockListExporter.h"
#include "blocklist/SubscribedList.h"
#include "subscriptions/Subscription.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class ListDownload;
class PreferencesStore;
class QNetworkAccessManager;

// Single owner of the subscribed block lists. The records live in the
// preferences under one key; each list's text lives in a file of its own
// ("<id>.txt") in the data folder, written atomically, so the INI stays small.
// The community fake-shop list ships inside the program and is subscribed on
// first start; until its first download it judges with the bundled snapshot.
//
// Lists load and parse on construction, so they judge from the first
// navigation. Downloads start only when asked (start(), update(),
// updateAll(), add()); a tool that only judges never touches the network.
// A failed, oversized or unreadable download never replaces the copy in use:
// the record gets the reason, the old copy keeps judging. A saved copy must
// pass the same test each time it loads; one that fails is renamed to
// "<id>.txt.unreadable-<yyyyMMdd-HHmmss>" (never deleted), the record gets
// the reason, and the list judges as if it had no copy: the built-in list
// with its bundled snapshot, the others not until fetched again.
class SubscriptionStore final : public QObject
{
    Q_OBJECT

public:
    static constexpr auto recordsKey = "velmora_subscriptions_v1";
    static constexpr QUuid builtInId {0x7c0e5f1a, 0x92d4, 0x4b6e, 0xa3, 0x51, 0x0f,
                                      0x86,       0x2d,   0xc4,   0x9b, 0x17};
    static constexpr auto builtInAddress = "https://raw.githubusercontent.com/exoego/"
                                           "ublacklist-scam-net-shops/master/uBlacklist.txt";
    static constexpr auto builtInSnapshot = ":/lists/ublacklist-scam-net-shops.txt";
    static constexpr auto builtInName = u"詐欺ネットショップ報告リスト";
    static constexpr qint64 maxListBytes = 20 * 1024 * 1024;
    static constexpr auto unreadableSuffix = ".unreadable-";

    struct Options
    {
        // Where the list files go; empty: "subscriptions" under the
        // application's data folder.
        QString directory;
        QUrl builtInAddress = QUrl(QString::fromLatin1(SubscriptionStore::builtInAddress));
        // A list is fetched again once its copy is this old; how often that
        // is looked at while the browser runs.
        std::chrono::milliseconds maxAge = std::chrono::hours(24);
        std::chrono::milliseconds checkInterval = std::chrono::hours(1);
        std::chrono::milliseconds timeout = std::chrono::minutes(2);
        qint64 maxBytes = maxListBytes;
        // Empty: the system's, looked up at the first download, since
        // looking it up loads the TLS library and reads every CA certificate
        // on the system, which would hold up the window at every start.
        std::optional<QSslConfiguration> sslConfiguration;
        // Empty: the current time in UTC.
        std::function<QDateTime()> clock;
    };

    // What the safety engine judges with: the enabled lists that have a copy.
    using EnabledList = SubscribedList;

    // Of add() and importFile(): the new record's id, or why there is none
    // (in Japanese, for the user).
    struct Outcome
    {
        QUuid id;
        QString error;
        bool succeeded() const { return error.isEmpty(); }
    };

    struct ExportResult
    {
        QString error; // empty when the file was written
        QStringList leftOut; // patterns no list rule can express
    };

    explicit SubscriptionStore(PreferencesStore &preferences, QObject *parent = nullptr);
    SubscriptionStore(PreferencesStore &preferences, const Options &options,
                      QObject *parent = nullptr);
    ~SubscriptionStore() override;

    // In the order the user added them, the built-in list first.
    const QList<Subscription> &subscriptions() const { return m_records; }
    std::optional<Subscription> subscription(const QUuid &id) const;
    QList<EnabledList> enabledLists() const;
    // The copy in use, enabled or not; null while there is none.
    std::shared_ptr<const BlockList> list(const QUuid &id) const;
    QString filePath(const QUuid &id) const;

    // Fetches every list whose copy is older than maxAge now, and looks again
    // every checkInterval.
    void start();
    // Refuses anything but an https address, and one already subscribed; the
    // first download starts at once.
    Outcome add(const QString &address);
    // A local uBlacklist file, copied in; never downloaded.
    Outcome importFile(const QString &path);
    // False for the built-in list (it can only be switched off) and unknown ids.
    bool remove(const QUuid &id);
    void setEnabled(const QUuid &id, bool enabled);
    void update(const QUuid &id);
    void updateAll();
    bool isUpdating(const QUuid &id) const;
    // The built-in list back as on first start: subscribed and enabled. The
    // user's own subscriptions stay.
    void resetToDefaults();

    // The user's own excluded patterns as a uBlacklist file at path.
    static ExportResult exportPatterns(const QString &path, const QStringList &patterns);
    // Why text that came as a list, downloaded, imported or saved, must not
    // judge (in Japanese, for the user); empty when it may. mustHaveRules:
    // the list it would replace had some.
    static QString refusal(const QByteArray &text, const BlockList &list, bool mustHaveRules,
                           qint64 maxBytes = maxListBytes);

Q_SIGNALS:
    // A record changed, came or went.
    void subscriptionsChanged();
    // What enabledLists() gives changed.
    void listsChanged();
    // A download began, so isUpdating(id) is now true.
    void updateStarted(const QUuid &id);
    // An update attempt ended, however it went; the record tells.
    void updateFinished(const QUuid &id);

private:
    Subscription builtInRecord() const;
    void load();
    void saveRecords();
    Subscription *record(const QUuid &id);
    QDateTime now() const;
    bool isDue(const Subscription &record) const;
    void updateDue();
    void downloadFinished(const QUuid &id);
    void accept(const QUuid &id, const std::shared_ptr<const BlockList> &list,
                const QByteArray &text, const QString &etag, const QString &lastModified);
    void finishAttempt(const QUuid &id, const QString &error);
    void setAside(Subscription &record, const QString &reason) const;
    QString writeListFile(const QUuid &id, const QByteArray &text) const;

    PreferencesStore &m_preferences;
    const Options m_options;
    const QString m_directory;
    QList<Subscription> m_records;
    QHash<QUuid, std::shared_ptr<const BlockList>> m_lists;
    QTimer m_checkTimer;
    // Parses downloads away from the window; waits for them on destruction.
    QThreadPool m_parser;
    // Made on the first download. Declared before the downloads, so that
    // they go first.
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::map<QUuid, std::unique_ptr<ListDownload>> m_downloads;
    QSet<QUuid> m_parsing;
};
