#include "browser/DownloadManager.h"

#include "downloads/DownloadFileName.h"
#include "rules/SecurityRuleStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Where a page is, for remembering a refusal: the whole site, so that a page
// cannot ask again by only changing its path.
QUrl siteOf(const QWebEnginePage &page)
{
    return page.url().adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery
                               | QUrl::RemoveFragment);
}

// The engine's reason when a server hangs up before sending all it announced;
// Qt has no name for it.
constexpr int serverContentLengthMismatch = 38;

QString failureText(QWebEngineDownloadRequest::DownloadInterruptReason reason)
{
    using R = QWebEngineDownloadRequest;
    if (int(reason) == serverContentLengthMismatch)
        return u"ネットワークに接続できませんでした"_s;
    switch (reason) {
    case R::FileAccessDenied:
        return u"保存先のフォルダに書き込めません"_s;
    case R::FileNoSpace:
        return u"ディスクの空き容量が足りません"_s;
    case R::FileNameTooLong:
        return u"ファイル名が長すぎます"_s;
    case R::FileTooLarge:
        return u"ファイルが大きすぎます"_s;
    case R::FileVirusInfected:
    case R::FileBlocked:
    case R::FileSecurityCheckFailed:
        return u"安全でないファイルとして止められました"_s;
    case R::NetworkFailed:
    case R::NetworkTimeout:
    case R::NetworkDisconnected:
    case R::NetworkServerDown:
    case R::NetworkInvalidRequest:
        return u"ネットワークに接続できませんでした"_s;
    case R::ServerFailed:
    case R::ServerBadContent:
    case R::ServerUnauthorized:
    case R::ServerCertProblem:
    case R::ServerForbidden:
    case R::ServerUnreachable:
        return u"サーバーがファイルを渡しませんでした"_s;
    default:
        return u"ダウンロードに失敗しました"_s;
    }
}

} // namespace

DownloadManager::DownloadManager(SecurityRuleStore &store, ReservedPaths reserved, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_folder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
    , m_reserved(reserved ? std::move(reserved) : std::make_shared<QSet<QString>>())
{ }

DownloadManager::~DownloadManager() = default;

void DownloadManager::watchPage(QWebEnginePage *page)
{
    if (!page || isWatched(page))
        return;
    m_pages.removeIf([](const QPointer<QWebEnginePage> &watched) { return watched.isNull(); });
    m_pages.append(page);
    QWebEngineProfile *profile = page->profile();
    m_profiles.removeIf([](const QPointer<QWebEngineProfile> &known) { return known.isNull(); });
    if (m_profiles.contains(profile))
        return;
    m_profiles.append(profile);
    connect(profile, &QWebEngineProfile::downloadRequested, this, &DownloadManager::handleRequest);
}

void DownloadManager::handleRequest(QWebEngineDownloadRequest *request)
{
    // Another window's manager may have taken it already.
    if (!request || request->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    if (resume(request))
        return;
    if (request->page() && !isWatched(request->page()))
        return;

    const QString fileName = DownloadFileName::sanitized(request->suggestedFileName());
    if (const std::optional<SafetyLevel> verdict = refusal(*request)) {
        request->cancel();
        DownloadItem item;
        item.url = request->url();
        item.fileName = fileName;
        item.state = DownloadItem::State::refused;
        item.reasons = verdict->reasons();
        m_model.append(item);
        return;
    }

    if (DownloadFileName::isExecutable(fileName)) {
        if (isRefusingPrograms(request->page())) {
            request->cancel();
            return;
        }
        // The question runs its own event loop: this window may close and
        // the engine may drop the request meanwhile.
        const QPointer<DownloadManager> self(this);
        const QPointer<QWebEngineDownloadRequest> asked(request);
        const QPointer<QWebEnginePage> page(request->page());
        const QUrl site = page ? siteOf(*page) : QUrl();
        const bool yes = m_question && m_question(fileName, request->url());
        if (!self)
            return;
        if (!yes && page) {
            m_refusedProgramPages.removeIf(
                [](const RefusedProgramPage &refused) { return refused.page.isNull(); });
            m_refusedProgramPages.append({page, site});
        }
        if (!asked)
            return;
        if (!yes || asked->state() != QWebEngineDownloadRequest::DownloadRequested) {
            asked->cancel();
            return;
        }
    }

    DownloadItem item;
    item.url = request->url();
    QDir folder(m_folder);
    if (m_folder.isEmpty() || !folder.mkpath(u"."_s)) {
        request->cancel();
        item.fileName = fileName;
        item.state = DownloadItem::State::failed;
        item.reasons = {failureText(QWebEngineDownloadRequest::FileAccessDenied)};
        m_model.append(item);
        return;
    }
    QSet<QString> taken;
    for (const QString &path : std::as_const(*m_reserved)) {
        const QFileInfo reserved(path);
        if (reserved.absolutePath() == folder.absolutePath())
            taken.insert(reserved.fileName());
    }
    item.fileName = DownloadFileName::unused(folder, fileName, taken);
    item.filePath = folder.absoluteFilePath(item.fileName);
    item.totalBytes = request->totalBytes();
    request->setDownloadDirectory(folder.absolutePath());
    request->setDownloadFileName(item.fileName);
    request->accept();
    track(request, m_model.append(item), item.filePath);
}

bool DownloadManager::resume(QWebEngineDownloadRequest *request)
{
    // The engine retries a download that broke off by itself and hands it
    // over again as a new request with the same id, the earlier one left
    // as it was. It goes on under the item and the name it had.
    const auto earlier = std::ranges::find_if(m_running, [request](const auto &running) {
        return running && running != request && running->id() == request->id()
            && running->url() == request->url();
    });
    if (earlier == m_running.cend())
        return false;
    const int id = earlier.key();
    earlier.value()->disconnect(this);
    const QFileInfo file(m_model.item(id)->filePath);
    request->setDownloadDirectory(file.absolutePath());
    request->setDownloadFileName(file.fileName());
    request->accept();
    track(request, id, file.absoluteFilePath());
    return true;
}

bool DownloadManager::isRefusingPrograms(const QWebEnginePage *page) const
{
    return page
        && std::ranges::any_of(m_refusedProgramPages, [page](const RefusedProgramPage &refused) {
               return refused.page == page && refused.site == siteOf(*page);
           });
}

void DownloadManager::cancel(int id)
{
    if (QWebEngineDownloadRequest *request = m_running.value(id))
        request->cancel();
}

void DownloadManager::cancelAll()
{
    const QList<int> ids = m_running.keys();
    for (const int id : ids) {
        QWebEngineDownloadRequest *request = m_running.value(id);
        if (!request)
            continue;
        request->disconnect(this);
        request->cancel();
        end(id, m_model.item(id)->filePath, DownloadItem::State::cancelled);
    }
}

std::optional<SafetyLevel> DownloadManager::refusal(const QWebEngineDownloadRequest &request) const
{
    const std::shared_ptr<const RuleSet> rules = m_store.ruleSet();
    SafetyLevel verdict = m_safety.evaluateSafety(request.url(), *rules);
    if (verdict.isSuspicious())
        return verdict;
    const QWebEnginePage *page = request.page();
    if (!page || page->url().isEmpty())
        return std::nullopt;
    verdict = m_safety.evaluateSafety(page->url(), *rules);
    if (verdict.isSuspicious())
        return verdict;
    return std::nullopt;
}

bool DownloadManager::isWatched(const QWebEnginePage *page) const
{
    for (const QPointer<QWebEnginePage> &watched : m_pages) {
        if (watched == page)
            return true;
    }
    return false;
}

void DownloadManager::track(QWebEngineDownloadRequest *request, int id, const QString &filePath)
{
    m_reserved->insert(filePath);
    m_running.insert(id, request);
    const auto progress = [this, request, id] {
        m_model.setProgress(id, request->receivedBytes(), request->totalBytes());
    };
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this, progress);
    connect(request, &QWebEngineDownloadRequest::totalBytesChanged, this, progress);
    const auto changed = [this, request, id, filePath] { finish(request, id, filePath); };
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, changed);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, changed);
    // The engine may also have dropped it before anyone listened.
    connect(request, &QObject::destroyed, this, [this, id, filePath] {
        end(id, filePath, DownloadItem::State::failed,
            {failureText(QWebEngineDownloadRequest::NoReason)});
    });
    finish(request, id, filePath);
}

void DownloadManager::finish(QWebEngineDownloadRequest *request, int id, const QString &filePath)
{
    using R = QWebEngineDownloadRequest;
    // The engine finishes an interrupted download only when it cannot be
    // resumed; otherwise it waits, in progress for ever, for a resume that
    // nobody here asks for. Once its own retries are over, an interruption
    // is the end.
    const bool interrupted = request->state() == R::DownloadInterrupted;
    if (!request->isFinished() && !interrupted)
        return;
    request->disconnect(this);
    if (!request->isFinished()) {
        // Lets the engine drop it too; queued, as the engine is still in
        // the middle of reporting the interruption.
        QMetaObject::invokeMethod(request, &R::cancel, Qt::QueuedConnection);
    }
    switch (request->state()) {
    case R::DownloadCompleted:
        m_model.setProgress(id, request->receivedBytes(), request->receivedBytes());
        end(id, filePath, DownloadItem::State::completed);
        break;
    case R::DownloadCancelled:
        end(id, filePath, DownloadItem::State::cancelled);
        break;
    default:
        end(id, filePath, DownloadItem::State::failed, {failureText(request->interruptReason())});
        break;
    }
}

void DownloadManager::end(int id, const QString &filePath, DownloadItem::State state,
                          const QStringList &reasons)
{
    m_reserved->remove(filePath);
    m_running.remove(id);
    // The engine keeps the partial file of an interrupted download for a
    // resume that never comes, and does not always delete it on cancel.
    if (state != DownloadItem::State::completed)
        QFile::remove(filePath + QString::fromLatin1(DownloadFileName::partialSuffix));
    m_model.setState(id, state, reasons);
}
