#pragma once

#include "prefs/IniFileText.h"
#include "prefs/PreferencesStore.h"

#include <QDateTime>
#include <QSet>
#include <QSettings>

// PreferencesStore over QSettings. The default constructor uses the user's
// configuration folder (organisation "Velmora", application
// "VelmoraShoppingBrowser"); the path constructor is for tests and tools that
// want their own file.
//
// Nothing stored is destroyed unread. Before a write replaces a value of
// another kind (one no reader of that key could take), its stored text goes
// to key + "_unreadable". Before the first write over a file that QSettings
// could not read whole (a key given twice, a line it skips, bytes it cannot
// decode) or over a different earlier backup, the whole file is copied to
// "<file>.unreadable-<yyyyMMdd-HHmmss>". A write whose copy fails is dropped.
class SettingsPreferencesStore final : public PreferencesStore
{
    Q_OBJECT

public:
    static constexpr auto organizationName = "Velmora";
    static constexpr auto applicationName = "VelmoraShoppingBrowser";
    static constexpr auto fileCopySuffix = ".unreadable-";

    explicit SettingsPreferencesStore(QObject *parent = nullptr);
    explicit SettingsPreferencesStore(const QString &filePath, QObject *parent = nullptr);

    std::optional<QString> string(const QString &key) const override;
    std::optional<QByteArray> data(const QString &key) const override;
    void setString(const QString &key, const QString &value) override;
    void setData(const QString &key, const QByteArray &value) override;
    // Text, lists, rectangles and other QSettings kinds as written in the
    // file.
    std::optional<QByteArray> rawBytes(const QString &key) const override;

    QString fileName() const;

private:
    struct FileStamp
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const FileStamp &) const = default;
    };

    // False when the write was dropped because the file could not be kept.
    bool write(const QString &key, const QVariant &value);
    bool keepWholeFileIfAtRisk();
    bool keepWholeFile();
    FileStamp currentStamp() const;
    const IniFileText &fileText() const;
    void rescan() const;

    mutable QSettings m_settings;
    // The file as last found on disk (this store's own writes aside), and
    // whether a rewrite would lose any of it.
    mutable std::optional<IniFileText> m_fileText;
    // Keys set through this store since m_fileText was read.
    mutable QSet<QString> m_writtenSinceScan;
    mutable FileStamp m_checkedStamp;
    mutable bool m_fileAtRisk = false;
    // The file on disk is already copied aside as it is now.
    mutable bool m_fileKept = false;
    bool m_hasWritten = false;
};
