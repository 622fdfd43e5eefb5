#pragma once

#include <QColor>
#include <QWidget>

class BrowserViewModel;
class QProgressBar;

// The 2-pixel strip between toolbar and content: a thin progress bar in the
// accent colour while a page loads, an empty strip of the same height
// otherwise, so the content below never moves when loading starts or ends.
class LoadIndicator final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int stripHeight = 2;

    explicit LoadIndicator(QWidget *parent = nullptr);

    // Follows the load of this view model (the current tab's) from now on.
    void setViewModel(BrowserViewModel &viewModel);
    void setLoading(bool loading);
    bool isLoading() const { return m_loading; }
    // Progress from 0.0 to 1.0.
    void setProgress(double progress);
    double progress() const;
    void setAccentColor(const QColor &accent);
    QColor accentColor() const { return m_accent; }

private:
    QProgressBar *m_bar;
    BrowserViewModel *m_viewModel = nullptr;
    QColor m_accent;
    bool m_loading = false;
};
