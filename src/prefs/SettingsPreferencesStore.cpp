#include "prefs/SettingsPreferencesStore.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaType>

namespace {

// How QSettings writes a value it could not make sense of; rewriting it
// changes nothing.
constexpr QByteArrayView invalidValueText = "@Invalid()";

} // namespace

SettingsPreferencesStore::SettingsPreferencesStore(QObject *parent)
    : PreferencesStore(parent)
    , m_settings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(organizationName),
                 QString::fromLatin1(applicationName))
{ }

SettingsPreferencesStore::SettingsPreferencesStore(const QString &filePath, QObject *parent)
    : PreferencesStore(parent)
    , m_settings(filePath, QSettings::IniFormat)
{ }

std::optional<QString> SettingsPreferencesStore::string(const QString &key) const
{
    const QVariant value = m_settings.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> SettingsPreferencesStore::data(const QString &key) const
{
    const QVariant value = m_settings.value(key);
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

void SettingsPreferencesStore::setString(const QString &key, const QString &value)
{
    if (!write(key, value))
        Q_EMIT writeFailed(key);
}

void SettingsPreferencesStore::setData(const QString &key, const QByteArray &value)
{
    if (!write(key, value))
        Q_EMIT writeFailed(key);
}

std::optional<QByteArray> SettingsPreferencesStore::rawBytes(const QString &key) const
{
    if (std::optional<QByteArray> bytes = data(key))
        return bytes;
    if (!m_settings.contains(key))
        return std::nullopt;
    // QSettings decodes escapes in text as Latin-1 and the rest as UTF-8, so
    // no encoding of the text it gives brings back the bytes in the file (a
    // cut-off "@ByteArray(" holds both): the file's own text does. Text this
    // store wrote since it last looked is not in that text yet, and is
    // exactly what QSettings holds.
    const IniFileText &text = fileText();
    if (!m_writtenSinceScan.contains(key)) {
        if (std::optional<QByteArray> written = text.valueText(key))
            return written;
    }
    // A key QSettings read but the scan did not find marks the file at risk,
    // so the whole file is kept as well.
    return PreferencesStore::rawBytes(key);
}

QString SettingsPreferencesStore::fileName() const
{
    return m_settings.fileName();
}

bool SettingsPreferencesStore::write(const QString &key, const QVariant &value)
{
    if (!keepWholeFileIfAtRisk())
        return false;
    if (m_settings.contains(key)) {
        const QVariant stored = m_settings.value(key);
        if (key.endsWith(QLatin1String(unreadableSuffix))) {
            // Only the latest backup stays under the key; an earlier,
            // different one stays in the copy of the file.
            if (stored != value && !keepWholeFile())
                return false;
        } else if (stored.typeId() != value.typeId()) {
            // No reader of this key could take a value of another kind. An
            // empty one holds nothing worth more than an earlier backup.
            const QString backupKey = key + QLatin1String(unreadableSuffix);
            const std::optional<QByteArray> raw = rawBytes(key);
            if (raw && !raw->isEmpty() && m_settings.value(backupKey) != QVariant(*raw)) {
                if (!write(backupKey, *raw))
                    return false;
                noteKeptAside(backupKey);
            }
        }
    }

    m_settings.setValue(key, value);
    m_writtenSinceScan.insert(key);
    // Flush now: a crash or a killed session must not lose a change the user
    // already saw take effect. QSettings replaces the file atomically.
    m_settings.sync();
    m_hasWritten = true;
    // QSettings wrote out only what it holds: nothing left that it would
    // lose. Unchanged, the write failed and the file stays as judged. The
    // scanned text stays: QSettings rewrote the values of other kinds in its
    // own spelling, and a backup keeps them as the user had them.
    const FileStamp stamp = currentStamp();
    const bool written = stamp != m_checkedStamp;
    if (written) {
        m_checkedStamp = stamp;
        m_fileAtRisk = false;
        m_fileKept = false;
    }
    Q_EMIT valueChanged(key);
    // QSettings keeps its first error for good: only a file left as it was
    // says that this write failed too.
    if (!written && m_settings.status() != QSettings::NoError) {
        qWarning("Settings not saved: cannot write %s", qUtf8Printable(fileName()));
        Q_EMIT writeFailed(key);
    }
    return true;
}

bool SettingsPreferencesStore::keepWholeFileIfAtRisk()
{
    if (currentStamp() != m_checkedStamp)
        rescan();
    return !m_fileAtRisk || keepWholeFile();
}

bool SettingsPreferencesStore::keepWholeFile()
{
    const QString path = fileName();
    if (m_fileKept || !QFile::exists(path))
        return true;
    const QString base = path + QLatin1String(fileCopySuffix)
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFile::exists(target); ++n)
        target = base + u'-' + QString::number(n);
    if (!QFile::copy(path, target)) {
        qWarning("Settings not saved: could not keep a copy of %s before rewriting it",
                 qUtf8Printable(path));
        return false;
    }
    m_fileKept = true;
    noteKeptAside(target);
    return true;
}

SettingsPreferencesStore::FileStamp SettingsPreferencesStore::currentStamp() const
{
    const QFileInfo info(fileName());
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified().toUTC()};
}

const IniFileText &SettingsPreferencesStore::fileText() const
{
    if (!m_fileText || currentStamp() != m_checkedStamp)
        rescan();
    return *m_fileText;
}

void SettingsPreferencesStore::rescan() const
{
    if (const FileStamp stamp = currentStamp(); stamp != m_checkedStamp) {
        m_checkedStamp = stamp;
        m_fileKept = false;
    }
    m_fileText = IniFileText::read(fileName()).value_or(IniFileText(QByteArray()));
    m_writtenSinceScan.clear();
    // allKeys() parses every section, so that a format error shows.
    const QStringList keys = m_settings.allKeys();
    m_fileAtRisk = m_fileText->rewriteDropsText()
        || (!m_hasWritten && m_settings.status() == QSettings::FormatError);
    for (const QString &key : keys) {
        if (m_fileAtRisk)
            break;
        // A key the scan did not find, or a value QSettings could not make
        // sense of, would come back different.
        const std::optional<QByteArray> text = m_fileText->valueText(key);
        m_fileAtRisk = !text || (!m_settings.value(key).isValid() && *text != invalidValueText);
    }
}
