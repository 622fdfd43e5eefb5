#pragma once

#include "downloads/DownloadListModel.h"
#include "safety/SafeBrowsingEngine.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class SecurityRuleStore;

// Saves the downloads of the pages it watches into one folder, never over an
// existing file, after the same screening as a navigation: a download whose
// address or page is judged suspicious is refused with the verdict's
// reasons, and a program file is saved only when the user says yes. Every
// download, refused ones too, is listed in model().
class DownloadManager final : public QObject
{
    Q_OBJECT

public:
    // Asked before an executable file is saved, while the engine waits for
    // the answer; true saves it. Without a question such files are refused.
    using ExecutableQuestion = std::function<bool(const QString &fileName, const QUrl &url)>;

    // Paths of files still being written, which the folder may not show
    // yet: the engine makes a download's file as it finishes. Every window's
    // manager shares one set, or two windows saving "catalog.pdf" at once
    // would both write that file.
    using ReservedPaths = std::shared_ptr<QSet<QString>>;

    // The folder defaults to the user's download folder. Without reserved
    // paths to share, the manager keeps its own.
    explicit DownloadManager(SecurityRuleStore &store, ReservedPaths reserved = {},
                             QObject *parent = nullptr);
    ~DownloadManager() override;

    DownloadListModel *model() { return &m_model; }
    QString downloadFolder() const { return m_folder; }
    void setDownloadFolder(const QString &folder) { m_folder = folder; }
    void setExecutableQuestion(ExecutableQuestion question) { m_question = std::move(question); }

    // Downloads this page starts are handled here. The page's profile is
    // listened to from now on; downloads of pages that another manager
    // watches are left to it, and those no page started (its page closed)
    // go to the first manager that hears them.
    void watchPage(QWebEnginePage *page);
    // What the profile hands over; public for callers that listen themselves.
    void handleRequest(QWebEngineDownloadRequest *request);
    void cancel(int id);
    // The window goes: its transfers stop and what they wrote is deleted.
    void cancelAll();
    // Downloads still being written, which closing their window stops.
    int runningCount() const { return int(m_running.size()); }

private:
    // The verdict that refuses the download, if any: its own address first,
    // then the page it came from.
    std::optional<SafetyLevel> refusal(const QWebEngineDownloadRequest &request) const;
    bool isWatched(const QWebEnginePage *page) const;
    // True when request is the engine's retry of a download listed here,
    // which then goes on as before.
    bool resume(QWebEngineDownloadRequest *request);
    void track(QWebEngineDownloadRequest *request, int id, const QString &filePath);
    void finish(QWebEngineDownloadRequest *request, int id, const QString &filePath);
    // Lists the download as ended, frees its name and, unless it completed,
    // deletes what it wrote so far.
    void end(int id, const QString &filePath, DownloadItem::State state,
             const QStringList &reasons = {});

    SecurityRuleStore &m_store;
    const SafeBrowsingEngine m_safety {};
    DownloadListModel m_model;
    QString m_folder;
    ExecutableQuestion m_question;
    QList<QPointer<QWebEnginePage>> m_pages;
    QList<QPointer<QWebEngineProfile>> m_profiles;
    QHash<int, QPointer<QWebEngineDownloadRequest>> m_running;
    ReservedPaths m_reserved;
    // A page may ask for programs without end: once the user said no, it is
    // not heard again until it goes to another site.
    struct RefusedProgramPage
    {
        QPointer<QWebEnginePage> page;
        QUrl site;
    };
    QList<RefusedProgramPage> m_refusedProgramPages;
    bool isRefusingPrograms(const QWebEnginePage *page) const;
};
