#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

class PreferencesStore;

// The page zoom the user chose for each host, kept in the preferences store
// as a JSON object {"host": factor}. Hosts at 100 % are not stored. Every
// window's copy follows the others' writes.
class ZoomLevels final : public QObject
{
    Q_OBJECT

public:
    static constexpr auto storageKey = "zoomFactorsByHost";
    static constexpr double defaultFactor = 1.0;

    // A private window's copy starts from what is stored and keeps its own
    // changes to itself: a host zoomed there is a host visited there.
    enum class Keeping { stored, thisWindowOnly };

    explicit ZoomLevels(PreferencesStore &preferences, Keeping keeping = Keeping::stored,
                        QObject *parent = nullptr);

    // The stored factor for host, or defaultFactor.
    double factor(const QString &host) const;
    // One step up or down the ladder from the host's factor; the new factor
    // is stored and returned. An empty host (a local file, a blank page) is
    // not remembered, so the step is taken from `current`.
    double zoomIn(const QString &host, double current);
    double zoomOut(const QString &host, double current);
    void reset(const QString &host);

    // The zoom ladder, 25 % to 500 % (the engine's limits).
    static double stepAbove(double factor);
    static double stepBelow(double factor);

Q_SIGNALS:
    void factorChanged(const QString &host);

private:
    static QString normalized(const QString &host);
    double step(const QString &host, double current, bool up);
    void setFactor(const QString &host, double factor);
    void load();
    void save();

    PreferencesStore &m_preferences;
    const Keeping m_keeping;
    QHash<QString, double> m_factors;
    std::optional<QByteArray> m_unreadable;
    bool m_isWriting = false;
};
