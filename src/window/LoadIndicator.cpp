#include "window/LoadIndicator.h"

#include "browser/BrowserViewModel.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace {

constexpr int progressSteps = 1000;

} // namespace

LoadIndicator::LoadIndicator(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("loadIndicator"));
    setFixedHeight(stripHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_bar->setObjectName(QStringLiteral("loadProgressBar"));
    m_bar->setRange(0, progressSteps);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(stripHeight);
    m_bar->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    setAccentColor(standardBlue());
}

void LoadIndicator::setViewModel(BrowserViewModel &viewModel)
{
    if (m_viewModel)
        disconnect(m_viewModel, nullptr, this, nullptr);
    m_viewModel = &viewModel;
    connect(m_viewModel, &BrowserViewModel::isLoadingChanged, this,
            [this] { setLoading(m_viewModel->isLoading()); });
    connect(m_viewModel, &BrowserViewModel::estimatedProgressChanged, this,
            [this] { setProgress(m_viewModel->estimatedProgress()); });
    setLoading(m_viewModel->isLoading());
    setProgress(m_viewModel->estimatedProgress());
}

void LoadIndicator::setLoading(bool loading)
{
    m_loading = loading;
    m_bar->setVisible(loading);
}

void LoadIndicator::setProgress(double progress)
{
    m_bar->setValue(qRound(qBound(0.0, progress, 1.0) * progressSteps));
}

double LoadIndicator::progress() const
{
    return double(m_bar->value()) / progressSteps;
}

void LoadIndicator::setAccentColor(const QColor &accent)
{
    m_accent = accent;
    // The style's own bar has a frame and a minimum height; at 2 pixels only
    // a flat chunk reads as a progress line.
    m_bar->setStyleSheet(QStringLiteral("QProgressBar { border: none; background: %1; }"
                                        "QProgressBar::chunk { background: %2; }")
                             .arg(ViewStyle::rgba(accent, 0.15), ViewStyle::rgba(accent)));
}
