#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// A settings file as text, split into lines the way QSettings splits an INI
// file. QSettings itself answers only with converted values: it cannot say
// what a value looked like, and it silently merges a key given twice. This
// is only for those two questions; values are always read through QSettings.
class IniFileText final
{
public:
    explicit IniFileText(QByteArray bytes);

    // The file, or nothing for a file that is missing or cannot be opened.
    static std::optional<IniFileText> read(const QString &path);

    const QByteArray &bytes() const { return m_bytes; }

    // The text after "=" on the line QSettings takes for key (the last one),
    // exactly as written there.
    std::optional<QByteArray> valueText(const QString &key) const;

    // Something in the file that a rewrite through QSettings leaves out: an
    // earlier line for a key given again (in one section or in a repeated
    // section), a comment, a line that is not "key=value", a section header
    // without its "]", or bytes that are not UTF-8.
    bool rewriteDropsText() const { return m_rewriteDropsText; }

private:
    void readLine(qsizetype start, qsizetype end, qsizetype equals);

    QByteArray m_bytes;
    QHash<QString, QByteArray> m_values;
    QString m_section;
    bool m_rewriteDropsText = false;
};
