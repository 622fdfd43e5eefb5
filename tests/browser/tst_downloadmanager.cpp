// Downloads on the real engine, served by the in-process proxy under real
// host names, saved into a folder of the test's own.
#include "browser/DownloadManager.h"

#include "prefs/FileBytes.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/CoreFixtures.h"
#include "support/EngineWait.h"
#include "support/TestProxyServer.h"

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString shopHost = u"shop.example.com"_s;
const QString scamHost = u"cheap-brand-outlet.top"_s;
const QByteArray pdf = "%PDF-1.4\n1 0 obj <<>> endobj\ntrailer <<>>\n%%EOF\n";

} // namespace

class TestDownloadManager final : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase()
    {
        m_proxy.installAsEngineProxy();
        m_profile = std::make_unique<QWebEngineProfile>();
        m_proxy.setAttachment(shopHost, u"/receipt"_s, pdf, u"注文確認書.pdf"_s, "application/pdf");
        m_proxy.setAttachment(scamHost, u"/invoice"_s, pdf, u"invoice.pdf"_s, "application/pdf");
        m_proxy.setAttachment(shopHost, u"/invoice"_s, pdf, u"invoice.pdf"_s, "application/pdf");
        m_proxy.setRedirect(shopHost, u"/moved"_s, address(scamHost, u"/invoice"_s).toString());
        m_proxy.setAttachment(shopHost, u"/setup"_s, "MZ", u"setup.exe"_s);
        m_proxy.setAttachment(shopHost, u"/held"_s, QByteArray(64 * 1024, 'x'), u"catalog.pdf"_s,
                              "application/pdf", true);
    }
    void init()
    {
        m_store = &m_rules.emplace().store;
        m_page.emplace(m_profile.get());
        m_reserved = std::make_shared<QSet<QString>>();
        m_manager.emplace(*m_store, m_reserved);
        m_manager->setDownloadFolder(m_rules->dir.filePath(u"downloads"_s));
        m_manager->watchPage(&*m_page);
    }
    void cleanup()
    {
        m_manager.reset();
        m_page.reset();
        m_rules.reset();
    }

    void savesWithoutOverwritingNorSharingAName();
    void refusesWhatComesFromSuspiciousHosts_data();
    void refusesWhatComesFromSuspiciousHosts();
    void asksBeforeSavingPrograms_data();
    void asksBeforeSavingPrograms();
    void brokenOffDownloadsEndAndLeaveNoFile_data();
    void brokenOffDownloadsEndAndLeaveNoFile();

private:
    bool waitForLastRow(DownloadItem::State state, int rows = 1)
    {
        DownloadListModel *model = m_manager->model();
        return waitForEngine(
            [&] { return model->rowCount() == rows && model->items().last().state == state; });
    }

    TestProxyServer m_proxy;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::optional<CoreRules> m_rules;
    SecurityRuleStore *m_store = nullptr;
    std::optional<QWebEnginePage> m_page;
    DownloadManager::ReservedPaths m_reserved;
    std::optional<DownloadManager> m_manager;
};

void TestDownloadManager::savesWithoutOverwritingNorSharingAName()
{
    const QStringList expected {u"注文確認書.pdf"_s, u"注文確認書 (1).pdf"_s};
    for (const QString &name : expected) {
        m_page->load(address(shopHost, u"/receipt"_s));
        QVERIFY(waitForLastRow(DownloadItem::State::completed, int(expected.indexOf(name)) + 1));
        const DownloadItem item = m_manager->model()->items().last();
        QCOMPARE(item.fileName, name);
        QCOMPARE(item.receivedBytes, pdf.size());
        QCOMPARE(fileBytes(item.filePath), pdf);
    }
    QDir folder(m_manager->downloadFolder());
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), QStringList({expected[1], expected[0]}));

    // Another window saving at the same time: its own manager and page, the
    // same profile and folder.
    QWebEnginePage otherPage(m_profile.get());
    DownloadManager other(*m_store, m_reserved);
    other.setDownloadFolder(m_manager->downloadFolder());
    other.watchPage(&otherPage);
    m_page->load(address(shopHost, u"/held"_s));
    QVERIFY(waitForLastRow(DownloadItem::State::inProgress, 3));
    otherPage.load(address(shopHost, u"/held"_s));
    QVERIFY(waitForEngine([&] { return other.model()->rowCount() == 1; }));
    QCOMPARE(m_manager->model()->items().last().fileName, u"catalog.pdf"_s);
    QCOMPARE(other.model()->items().last().fileName, u"catalog (1).pdf"_s);
}

void TestDownloadManager::refusesWhatComesFromSuspiciousHosts_data()
{
    QTest::addColumn<QUrl>("page");
    QTest::addColumn<QUrl>("download");
    QTest::addColumn<QUrl>("judged");
    const QUrl scamFile = address(scamHost, u"/invoice"_s);
    QTest::newRow("file on a suspicious host") << address(shopHost, u"/"_s) << scamFile << scamFile;
    QTest::newRow("redirected to a suspicious host")
        << address(shopHost, u"/"_s) << address(shopHost, u"/moved"_s) << scamFile;
    QTest::newRow("started by a suspicious page")
        << address(scamHost, u"/"_s) << address(shopHost, u"/invoice"_s)
        << address(scamHost, u"/"_s);
}

void TestDownloadManager::refusesWhatComesFromSuspiciousHosts()
{
    QFETCH(QUrl, page);
    QFETCH(QUrl, download);
    QFETCH(QUrl, judged);
    m_page->load(page);
    QVERIFY(waitForEngine([&] { return m_page->url() == page && !m_page->isLoading(); }));
    m_page->download(download);
    QVERIFY(waitForLastRow(DownloadItem::State::refused));
    const DownloadItem item = m_manager->model()->items().last();
    QCOMPARE(item.reasons, SafeBrowsingEngine().evaluateSafety(judged, *m_store).reasons());
    QVERIFY(!item.reasons.isEmpty());
    QTest::qWait(300);
    QCOMPARE(QDir(m_manager->downloadFolder()).entryList(QDir::Files), QStringList());
}

void TestDownloadManager::asksBeforeSavingPrograms_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("saved");
    QTest::newRow("no") << false << QStringList();
    QTest::newRow("yes") << true << QStringList {u"setup.exe"_s};
}

void TestDownloadManager::asksBeforeSavingPrograms()
{
    QFETCH(bool, answer);
    QFETCH(QStringList, saved);
    const QUrl setup = address(shopHost, u"/setup"_s);
    QStringList asked;
    m_manager->setExecutableQuestion([&](const QString &fileName, const QUrl &url) {
        asked.append(fileName + u' ' + url.host());
        return answer;
    });
    m_page->load(setup);
    QVERIFY(waitForEngine([&] { return !asked.isEmpty(); }));
    QCOMPARE(asked, QStringList {u"setup.exe "_s + shopHost});
    if (answer)
        QVERIFY(waitForLastRow(DownloadItem::State::completed));
    QTest::qWait(300);
    QCOMPARE(m_manager->model()->rowCount(), saved.size());
    QCOMPARE(QDir(m_manager->downloadFolder()).entryList(QDir::Files), saved);

    // Asking once more after a yes is fine; after a no, the page is not
    // heard again.
    m_page->download(setup);
    QTest::qWait(500);
    QCOMPARE(asked.size(), answer ? 2 : 1);
}

void TestDownloadManager::brokenOffDownloadsEndAndLeaveNoFile_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("connection dropped") << false << u"ネットワークに接続できませんでした"_s;
    QTest::newRow("folder not writable") << true << u"保存先のフォルダに書き込めません"_s;
}

void TestDownloadManager::brokenOffDownloadsEndAndLeaveNoFile()
{
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, reason);
    QDir folder(m_manager->downloadFolder());
    QVERIFY(folder.mkpath(u"."_s));
    // Promises more than it sends, then hangs up, also on the engine's
    // retries; the ETag lets the engine keep the part it has for them.
    QTcpServer cutting;
    QVERIFY(cutting.listen(QHostAddress::LocalHost));
    connect(&cutting, &QTcpServer::newConnection, this, [&cutting] {
        while (QTcpSocket *socket = cutting.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                              "Content-Disposition: attachment; filename=cut.bin\r\n"
                              "ETag: \"v1\"\r\nContent-Length: 100000\r\n\r\n"
                              + QByteArray(4096, 'x'));
                socket->disconnectFromHost();
            });
        }
    });
    QUrl url(u"http://127.0.0.1:%1/cut"_s.arg(cutting.serverPort()));
    if (readOnlyFolder) {
        url = address(shopHost, u"/receipt"_s);
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFile(folder.filePath(u"probe"_s)).open(QIODevice::WriteOnly))
            QSKIP("This user writes into read-only folders anyway (root)");
    }
    m_page->download(url);
    QVERIFY(waitForLastRow(DownloadItem::State::failed));
    QCOMPARE(m_manager->model()->items().last().reasons, QStringList {reason});
    // Nothing comes back by itself, and no half-written file stays.
    QTest::qWait(500);
    QCOMPARE(m_manager->model()->rowCount(), 1);
    QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(m_reserved->isEmpty());
}

QTEST_MAIN(TestDownloadManager)
#include "tst_downloadmanager.moc"
