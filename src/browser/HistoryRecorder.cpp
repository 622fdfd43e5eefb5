#include "HistoryRecorder.h"

#include "browser/BrowserViewModel.h"
#include "history/HistoryStore.h"
#include "safety/SafetyLevel.h"

#include <utility>

using namespace Qt::StringLiterals;

HistoryRecorder::HistoryRecorder(BrowserViewModel &viewModel, HistoryStore &store, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_store(store)
{
    connect(&m_viewModel, &BrowserViewModel::currentURLChanged, this,
            &HistoryRecorder::onURLChanged);
    connect(&m_viewModel, &BrowserViewModel::pageTitleChanged, this,
            &HistoryRecorder::onTitleChanged);
    m_titleWrite.setSingleShot(true);
    m_titleWrite.setInterval(titleWriteIntervalMs);
    connect(&m_titleWrite, &QTimer::timeout, this, [this] {
        if (m_unwrittenTitle.isEmpty())
            return;
        writeTitle();
        m_titleWrite.start();
    });
}

HistoryRecorder::~HistoryRecorder()
{
    // A tab closed within the interval keeps its last title.
    writeTitle();
}

QString HistoryRecorder::verdictText(const SafetyLevel &level)
{
    switch (level.kind()) {
    case SafetyLevel::Kind::trusted:
        return u"trusted"_s;
    case SafetyLevel::Kind::suspicious:
        return u"suspicious"_s;
    case SafetyLevel::Kind::caution:
        return u"caution"_s;
    case SafetyLevel::Kind::neutral:
        return u"neutral"_s;
    }
    Q_UNREACHABLE();
}

bool HistoryRecorder::isRecordable(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == "http"_L1 || scheme == "https"_L1 || scheme == "file"_L1);
}

void HistoryRecorder::onURLChanged()
{
    // The address, its verdict and the title change one after another, so
    // the visit is written once they have settled, on the next turn.
    if (m_recordPending)
        return;
    m_recordPending = true;
    QMetaObject::invokeMethod(this, &HistoryRecorder::recordShownPage, Qt::QueuedConnection);
}

void HistoryRecorder::recordShownPage()
{
    m_recordPending = false;
    // The page before keeps its last title.
    writeTitle();
    m_titleWrite.stop();
    const QUrl url = m_viewModel.currentURL();
    // Under a warning the page beneath is hidden; it was recorded when shown.
    if (m_viewModel.isBlocked() || !isRecordable(url)) {
        m_recordedURL.clear();
        return;
    }
    if (const QUrl skipped = std::exchange(m_skipped, QUrl()); skipped == url) {
        m_recordedURL.clear();
        return;
    }
    const auto visit
        = m_store.recordVisit(url, m_viewModel.pageTitle(), verdictText(m_viewModel.safetyLevel()));
    m_recordedURL = visit ? url : QUrl();
}

void HistoryRecorder::onTitleChanged()
{
    // A title that arrives before the visit is written goes in with it.
    if (m_recordPending || m_recordedURL.isEmpty())
        return;
    const QString title = m_viewModel.pageTitle();
    if (title.isEmpty() || m_viewModel.currentURL() != m_recordedURL)
        return;
    m_unwrittenTitle = title;
    // The first one at once; those that follow it closely, the latest of
    // them once the interval is over.
    if (!m_titleWrite.isActive()) {
        writeTitle();
        m_titleWrite.start();
    }
}

void HistoryRecorder::writeTitle()
{
    if (m_unwrittenTitle.isEmpty() || m_recordedURL.isEmpty())
        return;
    m_store.updateLatestTitle(m_recordedURL, std::exchange(m_unwrittenTitle, QString()));
}
