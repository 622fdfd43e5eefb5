#pragma once

#include <QObject>
#include <QPointer>

class QWebEnginePage;
class ZoomLevels;

// Keeps one page at the zoom remembered for the host it shows: applied as
// the page arrives at a host, and stored when the user zooms.
class PageZoom final : public QObject
{
    Q_OBJECT

public:
    // Lives with the page (its parent); the zoom levels outlive both.
    PageZoom(QWebEnginePage &page, ZoomLevels &levels);

    void zoomIn();
    void zoomOut();
    void reset();
    double factor() const;

Q_SIGNALS:
    // The page's zoom changed, by the user or as the page reached a host.
    void factorChanged();

private:
    QString host() const;
    void apply();
    void setFactor(double factor);

    QPointer<QWebEnginePage> m_page;
    ZoomLevels &m_levels;
};
