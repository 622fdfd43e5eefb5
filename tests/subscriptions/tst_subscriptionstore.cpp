#include "subscriptions/SubscriptionStore.h"

#include "prefs/FileBytes.h"
#include "prefs/ReadOnlyPreferencesStore.h"
#include "prefs/SettingsPreferencesStore.h"
#include "subscriptions/SubscriptionListModel.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString recordsKey = QString::fromLatin1(SubscriptionStore::recordsKey);
const QByteArray goodList
    = "# Title: テスト詐欺リスト\n*://*.fake-shop.example/*\n*://*.other.example/*\n";
// A rule, then line after line of encoded data.
const QByteArray mostlyNotRules = "*://*.11momoshop.com/*\n"
    + QByteArray("QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo=\n").repeated(40);

QByteArray testData(const char *name)
{
    return fileBytes(QFINDTESTDATA(u"data/"_s + QLatin1StringView(name)));
}

// Serves canned answers by path from 127.0.0.1, over https with the
// throw-away certificate in data/ (trusted by the stores under test only)
// or over plain http, and keeps the request heads it saw.
class ListServer final : public QObject
{
public:
    struct Answer
    {
        QByteArray head;
        QByteArray body;
        bool stalls = false; // sends the head only, then neither more nor closes
    };

    explicit ListServer(bool https)
        : m_server(https ? new QSslServer(this) : new QTcpServer(this))
    {
        if (https) {
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setLocalCertificate(QSslCertificate(testData("localhost.pem")));
            configuration.setPrivateKey(QSslKey(testData("localhost.key"), QSsl::Ec));
            static_cast<QSslServer *>(m_server)->setSslConfiguration(configuration);
        }
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        });
        m_server->listen(QHostAddress::LocalHost);
    }

    QString address(const QString &path) const
    {
        const QString scheme = qobject_cast<QSslServer *>(m_server) ? u"https"_s : u"http"_s;
        return u"%1://127.0.0.1:%2%3"_s.arg(scheme).arg(m_server->serverPort()).arg(path);
    }
    static Answer reply(int status, const QByteArray &body, const QByteArray &headers = {})
    {
        return {"HTTP/1.1 " + QByteArray::number(status) + " X\r\nConnection: close\r\n"
                    + "Content-Length: " + QByteArray::number(body.size()) + "\r\n" + headers
                    + "\r\n",
                body};
    }
    void setAnswer(const QString &path, const Answer &answer) { m_answers[path] = answer; }

    QList<QByteArray> requests;

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        requests.append(buffer);
        const Answer answer = m_answers.value(QString::fromLatin1(buffer.split(' ').value(1)));
        socket->write(answer.head);
        if (answer.stalls)
            return;
        socket->write(answer.body);
        socket->disconnectFromHost();
    }

    QTcpServer *m_server;
    QHash<QString, Answer> m_answers;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

} // namespace

Q_DECLARE_METATYPE(ListServer::Answer)

class tst_SubscriptionStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void builtInListJudgesOfflineFromTheStart();
    void refusesAddresses_data();
    void refusesAddresses();
    void downloadsAndChecksDailyForChanges();
    void keepsLastGoodCopyWhenAnUpdateFails_data();
    void keepsLastGoodCopyWhenAnUpdateFails();
    void damagedCopyIsSetAside_data();
    void damagedCopyIsSetAside();
    void importsExportedPatternsAndRemovesThem();

private:
    std::unique_ptr<SubscriptionStore> makeStore(PreferencesStore *preferences = nullptr);
    QJsonObject storedRecord(const QUuid &id) const;
    bool blocks(const SubscriptionStore &store, const QString &address) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsPreferencesStore> m_preferences;
    std::unique_ptr<ListServer> m_server;
    QDateTime m_now;
};

void tst_SubscriptionStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_preferences = std::make_unique<SettingsPreferencesStore>(m_dir->filePath(u"prefs.ini"_s));
    m_server = std::make_unique<ListServer>(true);
    m_server->setAnswer(u"/list.txt"_s, ListServer::reply(200, goodList, "ETag: \"v1\"\r\n"));
    m_now = QDateTime(QDate(2025, 3, 1), QTime(9, 0), QTimeZone::utc());
}

std::unique_ptr<SubscriptionStore> tst_SubscriptionStore::makeStore(PreferencesStore *preferences)
{
    SubscriptionStore::Options options;
    options.directory = m_dir->filePath(u"lists"_s);
    options.builtInAddress = QUrl(m_server->address(u"/builtin.txt"_s));
    options.checkInterval = 50ms;
    options.timeout = 1500ms;
    options.maxBytes = 64 * 1024;
    options.sslConfiguration = QSslConfiguration::defaultConfiguration();
    options.sslConfiguration->setCaCertificates({QSslCertificate(testData("localhost.pem"))});
    options.clock = [this] { return m_now; };
    return std::make_unique<SubscriptionStore>(preferences ? *preferences : *m_preferences,
                                               options);
}

QJsonObject tst_SubscriptionStore::storedRecord(const QUuid &id) const
{
    // As the next start reads it.
    const auto stored = SettingsPreferencesStore(m_preferences->fileName()).data(recordsKey);
    for (const QJsonValue &record : QJsonDocument::fromJson(stored.value_or("")).array()) {
        if (record[u"id"_s].toString() == id.toString(QUuid::WithoutBraces).toUpper())
            return record.toObject();
    }
    return QJsonObject();
}

bool tst_SubscriptionStore::blocks(const SubscriptionStore &store, const QString &address) const
{
    const auto lists = store.enabledLists();
    return std::any_of(lists.begin(), lists.end(), [&](const SubscriptionStore::EnabledList &l) {
        return l.list->match(QUrl(address)).verdict == BlockList::Verdict::Blocked;
    });
}

void tst_SubscriptionStore::builtInListJudgesOfflineFromTheStart()
{
    // Even over records no version could read, which are kept aside.
    m_preferences->setData(recordsKey, "[{\"id\": 1}]");
    auto store = makeStore();
    QCOMPARE(m_preferences->data(recordsKey + u"_unreadable"_s), QByteArray("[{\"id\": 1}]"));
    QCOMPARE(store->subscriptions().size(), 1);
    QVERIFY(blocks(*store, u"https://www.11momoshop.com/item"_s));
    QVERIFY(storedRecord(SubscriptionStore::builtInId)[u"isEnabled"_s].toBool());
    QVERIFY(m_server->requests.isEmpty());

    // Switched off, never removed; the choice survives a restart, a reset undoes it.
    QVERIFY(!store->remove(SubscriptionStore::builtInId));
    store->setEnabled(SubscriptionStore::builtInId, false);
    store = makeStore();
    QVERIFY(store->enabledLists().isEmpty());
    QVERIFY(!storedRecord(SubscriptionStore::builtInId)[u"isEnabled"_s].toBool());
    store->resetToDefaults();
    QVERIFY(blocks(*store, u"https://www.11momoshop.com/"_s));
    QVERIFY(storedRecord(SubscriptionStore::builtInId)[u"isEnabled"_s].toBool());
}

void tst_SubscriptionStore::refusesAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("error");
    QTest::newRow("http") << u"http://lists.example/list.txt"_s << u"https:// で始まる"_s;
    QTest::newRow("no scheme") << u"lists.example/list.txt"_s << u"読み取れません"_s;
    QTest::newRow("no host") << u"https:///list.txt"_s << u"読み取れません"_s;
    QTest::newRow("subscribed already")
        << u"  https://127.0.0.1:1/a/../list.txt#x"_s << u"すでに購読"_s;
}

void tst_SubscriptionStore::refusesAddresses()
{
    QFETCH(QString, address);
    QFETCH(QString, error);
    auto store = makeStore();
    QVERIFY(store->add(u"https://127.0.0.1:1/list.txt"_s).succeeded());
    const QByteArray before = m_preferences->data(recordsKey).value();
    const SubscriptionStore::Outcome outcome = store->add(address);
    QVERIFY2(outcome.error.contains(error), qPrintable(outcome.error));
    QCOMPARE(store->subscriptions().size(), 2);
    QCOMPARE(m_preferences->data(recordsKey).value(), before);
}

void tst_SubscriptionStore::downloadsAndChecksDailyForChanges()
{
    auto store = makeStore();
    QSignalSpy finished(store.get(), &SubscriptionStore::updateFinished);
    QSignalSpy listsChanged(store.get(), &SubscriptionStore::listsChanged);
    const QUuid id = store->add(m_server->address(u"/list.txt"_s)).id;
    QVERIFY(finished.wait());
    QCOMPARE(store->subscription(id)->name, u"テスト詐欺リスト"_s);
    QCOMPARE(store->subscription(id)->ruleCount, 2);
    QCOMPARE(listsChanged.size(), 1);
    QVERIFY(blocks(*store, u"https://shop.fake-shop.example/"_s));
    QCOMPARE(fileBytes(store->filePath(id)), goodList);
    QCOMPARE(storedRecord(id)[u"etag"_s].toString(), u"\"v1\""_s);
    QCOMPARE(storedRecord(id)[u"lastUpdated"_s].toString(), u"2025-03-01T09:00:00.000Z"_s);
    store->setEnabled(SubscriptionStore::builtInId, false);

    // Fetched an hour ago: a restart leaves it be, however often it looks.
    m_now = m_now.addSecs(3600);
    store = makeStore();
    const qsizetype requests = m_server->requests.size();
    store->start();
    QTest::qWait(200);
    QCOMPARE(m_server->requests.size(), requests);

    // A day later the running store asks, unasked, whether it changed.
    // Unchanged: the answer carries no list, the copy stays and counts as current.
    m_server->setAnswer(u"/list.txt"_s, ListServer::reply(304, {}));
    QSignalSpy later(store.get(), &SubscriptionStore::updateFinished);
    QSignalSpy laterChanges(store.get(), &SubscriptionStore::listsChanged);
    m_now = m_now.addSecs(23 * 3600);
    QVERIFY(later.wait());
    QCOMPARE(later.first().first().value<QUuid>(), id);
    QCOMPARE(m_server->requests.size(), requests + 1);
    QVERIFY(m_server->requests.last().contains("If-None-Match: \"v1\""));
    QCOMPARE(storedRecord(id)[u"lastUpdated"_s].toString(), u"2025-03-02T09:00:00.000Z"_s);
    QCOMPARE(store->subscription(id)->lastError, QString());
    QCOMPARE(laterChanges.size(), 0);
    QVERIFY(blocks(*makeStore(), u"https://shop.fake-shop.example/"_s));
}

void tst_SubscriptionStore::keepsLastGoodCopyWhenAnUpdateFails_data()
{
    QTest::addColumn<ListServer::Answer>("answer");
    QTest::addColumn<QString>("error");
    const auto add = [](const char *name, const ListServer::Answer &answer, const QString &error) {
        QTest::newRow(name) << answer << error;
    };
    add("server error", ListServer::reply(500, "oops"), u"HTTP 500"_s);
    add("slow", {{}, {}, true}, u"秒以内"_s);
    add("announced too large", {"HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n", {}, true},
        u"大きすぎ"_s);
    add("too large, no length",
        {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", QByteArray(70 * 1024, 'a')},
        u"大きすぎ"_s);
    add("garbage", ListServer::reply(200, QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 17)),
        u"ルールがありません"_s);
    add("binary", ListServer::reply(200, QByteArray("*://*.a.example/*\n\0\xff", 20)),
        u"テキストではありません"_s);
    add("mostly not rules", ListServer::reply(200, mostlyNotRules),
        u"大半の行がルールとして読めません"_s);
    add("redirect to http",
        ListServer::reply(302, {}, "Location: http://127.0.0.1:%1/list.txt\r\n"), u"https 以外"_s);
}

void tst_SubscriptionStore::keepsLastGoodCopyWhenAnUpdateFails()
{
    QFETCH(ListServer::Answer, answer);
    QFETCH(QString, error);
    ListServer plain(false);
    plain.setAnswer(u"/list.txt"_s, ListServer::reply(200, "*://*.plain.example/*\n"));
    answer.head.replace("%1", QByteArray::number(QUrl(plain.address({})).port()));

    auto store = makeStore();
    QSignalSpy finished(store.get(), &SubscriptionStore::updateFinished);
    const QUuid id = store->add(m_server->address(u"/list.txt"_s)).id;
    QVERIFY(finished.wait());
    const QJsonObject good = storedRecord(id);

    m_server->setAnswer(u"/list.txt"_s, answer);
    m_now = m_now.addDays(1);
    QSignalSpy listsChanged(store.get(), &SubscriptionStore::listsChanged);
    store->update(id);
    QVERIFY(finished.wait());
    QVERIFY2(store->subscription(id)->lastError.contains(error),
             qPrintable(store->subscription(id)->lastError));
    QCOMPARE(listsChanged.size(), 0);
    QVERIFY(blocks(*store, u"https://shop.fake-shop.example/"_s));
    QVERIFY(plain.requests.isEmpty());

    // Stored as before but for the error, and a restart judges with it.
    QCOMPARE(fileBytes(store->filePath(id)), goodList);
    QJsonObject stored = storedRecord(id);
    QCOMPARE(stored.take(u"lastError"_s).toString(), store->subscription(id)->lastError);
    stored.insert(u"lastError"_s, QString());
    QCOMPARE(stored, good);
    store = makeStore();
    QVERIFY(blocks(*store, u"https://shop.fake-shop.example/"_s));
}

void tst_SubscriptionStore::damagedCopyIsSetAside_data()
{
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("error");
    QTest::newRow("binary tail") << QByteArray("*://*.11momoshop.com/*\n\0\xff garbage tail", 38)
                                 << u"テキストではありません"_s;
    QTest::newRow("mostly not rules") << mostlyNotRules << u"大半の行がルールとして読めません"_s;
    QTest::newRow("too large") << goodList.repeated(1000) << u"大きすぎ"_s;
}

void tst_SubscriptionStore::damagedCopyIsSetAside()
{
    QFETCH(QByteArray, saved);
    QFETCH(QString, error);
    auto store = makeStore();
    QSignalSpy finished(store.get(), &SubscriptionStore::updateFinished);
    const QUuid id = store->add(m_server->address(u"/list.txt"_s)).id;
    QVERIFY(finished.wait());
    const QList<QUuid> ids {SubscriptionStore::builtInId, id};
    for (const QUuid &damaged : ids)
        writeBytes(store->filePath(damaged), saved);
    // A tool that only reads judges without them, and leaves them be.
    ReadOnlyPreferencesStore readOnly(*m_preferences);
    QVERIFY(blocks(*makeStore(&readOnly), u"https://www.zzuoas.com/"_s));
    QCOMPARE(fileBytes(store->filePath(id)), saved);

    // The built-in list judges with the copy it ships, a downloaded one with
    // none until it is fetched again; the rows say so.
    store = makeStore();
    const SubscriptionListModel model(*store);
    const auto bundled
        = BlockList::parse(fileBytes(QString::fromLatin1(SubscriptionStore::builtInSnapshot)));
    const QString status = model.index(0).data(RuleListModel::StatusRole).toString();
    QVERIFY2(status.startsWith(u"ルール %L1件・同梱のリストで判定中"_s.arg(bundled->ruleCount())),
             qPrintable(status));
    QCOMPARE(model.index(1).data(RuleListModel::StatusRole).toString(), u"ルール 0件・未取得"_s);
    QVERIFY(blocks(*store, u"https://www.zzuoas.com/"_s));
    for (int row = 0; row < 2; ++row) {
        const QString shown = model.index(row).data(RuleListModel::ErrorRole).toString();
        QVERIFY2(shown.startsWith(u"保存したリストを読み込めませんでした") && shown.contains(error),
                 qPrintable(shown));
    }

    // Kept beside the lists as they were.
    const QDir folder = QFileInfo(store->filePath(id)).dir();
    for (const QUuid &damaged : ids) {
        const QString name = QFileInfo(store->filePath(damaged)).fileName();
        QVERIFY(!folder.exists(name));
        QCOMPARE(fileBytes(folder.filePath(name + u".unreadable-20250301-090000"_s)), saved);
    }
}

void tst_SubscriptionStore::importsExportedPatternsAndRemovesThem()
{
    const QString path = m_dir->filePath(u"own.txt"_s);
    // A full disk (here: a file size limit) is told; the old file stays whole.
    writeBytes(path, "before\n");
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited {};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit small {16, unlimited.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto full = SubscriptionStore::exportPatterns(path, {u"fake-shop.example"_s});
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    QVERIFY(full.error.startsWith(u"ファイルに書き込めませんでした"));
    QCOMPARE(fileBytes(path), "before\n");

    const auto exported = SubscriptionStore::exportPatterns(
        path, {u"fake-shop.example"_s, u"*.other.example"_s, u"bad/path"_s});
    QCOMPARE(exported.error, QString());
    QCOMPARE(exported.leftOut, QStringList {u"bad/path"_s});

    auto store = makeStore();
    const SubscriptionStore::Outcome imported = store->importFile(path);
    QVERIFY2(imported.succeeded(), qPrintable(imported.error));
    QVERIFY(blocks(*store, u"https://www.other.example/"_s));
    QVERIFY(QFile::exists(store->filePath(imported.id)));
    QFile::remove(path);
    store = makeStore();
    store->update(imported.id);
    QVERIFY(!store->isUpdating(imported.id));
    QVERIFY(blocks(*store, u"https://fake-shop.example/"_s));

    QVERIFY(store->remove(imported.id));
    QVERIFY(!blocks(*store, u"https://fake-shop.example/"_s));
    QVERIFY(!QFile::exists(store->filePath(imported.id)));
    QVERIFY(storedRecord(imported.id).isEmpty());
    QVERIFY(store->importFile(m_dir->filePath(u"prefs.ini"_s)).error.contains(u"ルール"));
}

QTEST_GUILESS_MAIN(tst_SubscriptionStore)
#include "tst_subscriptionstore.moc"
