#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>

class BrowserViewModel;
class HistoryStore;
class SafetyLevel;

// Writes the pages one view model shows into the history: a visit when a
// page is shown (its address committed and not under a warning), its title
// when the title arrives. A blocked navigation never showed its page and
// leaves no visit; a page the user opened past a warning is recorded as
// "suspicious". Private windows simply have no recorder.
class HistoryRecorder final : public QObject
{
    Q_OBJECT

public:
    // A page may change its title many times a second (a ticker, a
    // countdown): the latest is written at most this often.
    static constexpr int titleWriteIntervalMs = 1000;

    HistoryRecorder(BrowserViewModel &viewModel, HistoryStore &store, QObject *parent = nullptr);
    ~HistoryRecorder() override;

    // The verdict kind as stored with a visit.
    static QString verdictText(const SafetyLevel &level);
    // Web pages and the user's own files; not blank pages, inline data or
    // the engine's internal pages.
    static bool isRecordable(const QUrl &url);
    // The next page shown, when it is url, was recorded before: a tab
    // brought back at start.
    void skipNextVisit(const QUrl &url) { m_skipped = url; }

private:
    void onURLChanged();
    void recordShownPage();
    void onTitleChanged();
    void writeTitle();

    BrowserViewModel &m_viewModel;
    HistoryStore &m_store;
    QUrl m_recordedURL;
    QUrl m_skipped;
    bool m_recordPending = false;
    QString m_unwrittenTitle;
    QTimer m_titleWrite;
};
