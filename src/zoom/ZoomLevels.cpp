#include "zoom/ZoomLevels.h"

#include "prefs/PreferencesStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QScopedValueRollback>

#include <array>
#include <cmath>

namespace {

constexpr std::array<double, 17> ladder {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                         1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};
constexpr double epsilon = 0.005;

bool isUsable(double factor)
{
    return std::isfinite(factor) && factor >= ladder.front() - epsilon
        && factor <= ladder.back() + epsilon;
}

} // namespace

ZoomLevels::ZoomLevels(PreferencesStore &preferences, Keeping keeping, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_keeping(keeping)
{
    load();
    if (m_keeping == Keeping::thisWindowOnly)
        return;
    connect(&m_preferences, &PreferencesStore::valueChanged, this, [this](const QString &key) {
        if (key == QLatin1String(storageKey) && !m_isWriting)
            load();
    });
}

double ZoomLevels::factor(const QString &host) const
{
    return m_factors.value(normalized(host), defaultFactor);
}

double ZoomLevels::zoomIn(const QString &host, double current)
{
    return step(host, current, true);
}

double ZoomLevels::zoomOut(const QString &host, double current)
{
    return step(host, current, false);
}

void ZoomLevels::reset(const QString &host)
{
    setFactor(host, defaultFactor);
}

double ZoomLevels::stepAbove(double factor)
{
    for (double step : ladder) {
        if (step > factor + epsilon)
            return step;
    }
    return ladder.back();
}

double ZoomLevels::stepBelow(double factor)
{
    for (auto it = ladder.rbegin(); it != ladder.rend(); ++it) {
        if (*it < factor - epsilon)
            return *it;
    }
    return ladder.front();
}

QString ZoomLevels::normalized(const QString &host)
{
    QString key = host.trimmed().toLower();
    if (key.endsWith(u'.'))
        key.chop(1);
    return key;
}

double ZoomLevels::step(const QString &host, double current, bool up)
{
    const QString key = normalized(host);
    const double from = key.isEmpty() ? current : factor(key);
    const double to = up ? stepAbove(from) : stepBelow(from);
    setFactor(key, to);
    return to;
}

void ZoomLevels::setFactor(const QString &host, double factor)
{
    const QString key = normalized(host);
    if (key.isEmpty())
        return;
    const bool isDefault = std::abs(factor - defaultFactor) < epsilon;
    if (isDefault ? !m_factors.contains(key) : m_factors.value(key) == factor)
        return;
    if (isDefault)
        m_factors.remove(key);
    else
        m_factors.insert(key, factor);
    if (m_keeping == Keeping::stored)
        save();
    Q_EMIT factorChanged(key);
}

void ZoomLevels::load()
{
    const QString key = QLatin1String(storageKey);
    const QHash<QString, double> before = m_factors;
    m_factors.clear();
    m_unreadable.reset();
    if (const std::optional<QByteArray> stored = m_preferences.data(key)) {
        const QJsonDocument document = QJsonDocument::fromJson(*stored);
        if (document.isObject()) {
            const QJsonObject object = document.object();
            for (auto it = object.begin(); it != object.end(); ++it) {
                const QString host = normalized(it.key());
                // One odd entry costs only itself.
                if (!host.isEmpty() && it.value().isDouble() && isUsable(it.value().toDouble()))
                    m_factors.insert(host, it.value().toDouble());
            }
        } else {
            m_unreadable = *stored;
        }
    } else {
        // Text where bytes belong: kept aside at the first write.
        m_unreadable = m_preferences.rawBytes(key);
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (m_factors.value(it.key(), defaultFactor) != it.value())
            Q_EMIT factorChanged(it.key());
    }
    for (auto it = m_factors.cbegin(); it != m_factors.cend(); ++it) {
        if (!before.contains(it.key()))
            Q_EMIT factorChanged(it.key());
    }
}

void ZoomLevels::save()
{
    const QString key = QLatin1String(storageKey);
    if (m_unreadable) {
        m_preferences.keepUnreadable(key, *m_unreadable);
        m_unreadable.reset();
    }
    QJsonObject object;
    for (auto it = m_factors.cbegin(); it != m_factors.cend(); ++it)
        object.insert(it.key(), it.value());
    const QScopedValueRollback<bool> writing(m_isWriting, true);
    m_preferences.setData(key, QJsonDocument(object).toJson(QJsonDocument::Compact));
}
