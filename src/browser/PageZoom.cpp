#include "browser/PageZoom.h"

#include "zoom/ZoomLevels.h"

#include <QWebEnginePage>

PageZoom::PageZoom(QWebEnginePage &page, ZoomLevels &levels)
    : QObject(&page)
    , m_page(&page)
    , m_levels(levels)
{
    // The engine starts every new document at 100 %, so the factor is set
    // again once the document exists, not only when the host changes.
    connect(&page, &QWebEnginePage::urlChanged, this, &PageZoom::apply);
    connect(&page, &QWebEnginePage::loadFinished, this, &PageZoom::apply);
    connect(&m_levels, &ZoomLevels::factorChanged, this, [this](const QString &changed) {
        if (changed == host())
            apply();
    });
}

void PageZoom::zoomIn()
{
    if (m_page)
        setFactor(m_levels.zoomIn(host(), m_page->zoomFactor()));
}

void PageZoom::zoomOut()
{
    if (m_page)
        setFactor(m_levels.zoomOut(host(), m_page->zoomFactor()));
}

void PageZoom::reset()
{
    m_levels.reset(host());
    if (m_page)
        setFactor(ZoomLevels::defaultFactor);
}

double PageZoom::factor() const
{
    return m_page ? m_page->zoomFactor() : ZoomLevels::defaultFactor;
}

QString PageZoom::host() const
{
    return m_page ? m_page->url().host().toLower() : QString();
}

void PageZoom::apply()
{
    // A page without a host keeps whatever zoom the user gave it.
    if (!m_page || host().isEmpty())
        return;
    const double wanted = m_levels.factor(host());
    if (!qFuzzyCompare(m_page->zoomFactor(), wanted))
        setFactor(wanted);
}

void PageZoom::setFactor(double factor)
{
    m_page->setZoomFactor(factor);
    Q_EMIT factorChanged();
}
