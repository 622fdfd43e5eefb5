#include "prefs/IniFileText.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool isIniSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// Keys as QSettings names them: "\" separates groups, "%XX" and "%UXXXX"
// stand for one character; anything else is taken as it is.
QString unescapedKey(QByteArrayView text)
{
    const QString decoded = QString::fromUtf8(text);
    QString key;
    key.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size();) {
        const QChar c = decoded.at(i);
        if (c == u'\\') {
            key += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == decoded.size() - 1) {
            key += c;
            ++i;
            continue;
        }
        const bool wide = decoded.at(i + 1) == u'U';
        const qsizetype first = i + (wide ? 2 : 1);
        const qsizetype digits = wide ? 4 : 2;
        bool ok = false;
        const ushort code = first + digits <= decoded.size()
            ? QStringView(decoded).sliced(first, digits).toUShort(&ok, 16)
            : 0;
        if (!ok) {
            key += u'%';
            ++i;
            continue;
        }
        key += QChar(code);
        i = first + digits;
    }
    return key;
}

} // namespace

IniFileText::IniFileText(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(m_bytes);
    if (utf8.hasError())
        m_rewriteDropsText = true;

    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    qsizetype pos = m_bytes.startsWith("\xef\xbb\xbf") ? 3 : 0;
    while (pos < size) {
        while (pos < size && isIniSpace(data[pos]))
            ++pos;
        if (pos == size)
            break;
        if (data[pos] == ';') {
            m_rewriteDropsText = true;
            while (pos < size && !isLineEnd(data[pos]))
                ++pos;
            continue;
        }
        // Quotes may run over line ends and a backslash escapes the next
        // character, a line end included; ";" outside quotes ends the line.
        const qsizetype start = pos;
        qsizetype equals = -1;
        bool inQuotes = false;
        while (pos < size) {
            const char c = data[pos];
            if (c == '\\') {
                const char escaped = pos + 1 < size ? data[pos + 1] : '\0';
                pos += 2;
                if (pos < size && isLineEnd(escaped) && isLineEnd(data[pos])
                    && data[pos] != escaped)
                    ++pos;
                continue;
            }
            if (c == '"') {
                inQuotes = !inQuotes;
            } else if (!inQuotes) {
                if (isLineEnd(c) || c == ';')
                    break;
                if (c == '=' && equals < 0)
                    equals = pos;
            }
            ++pos;
        }
        readLine(start, std::min(pos, size), equals);
    }
}

std::optional<IniFileText> IniFileText::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniFileText(file.readAll());
}

std::optional<QByteArray> IniFileText::valueText(const QString &key) const
{
    const auto found = m_values.constFind(key);
    if (found == m_values.cend())
        return std::nullopt;
    return *found;
}

void IniFileText::readLine(qsizetype start, qsizetype end, qsizetype equals)
{
    const QByteArrayView line(m_bytes.constData() + start, end - start);
    if (line.startsWith('[')) {
        const qsizetype close = line.indexOf(']');
        if (close < 0)
            m_rewriteDropsText = true;
        const QByteArrayView name = line.sliced(1, (close < 0 ? line.size() : close) - 1).trimmed();
        if (name.compare("general", Qt::CaseInsensitive) == 0)
            m_section.clear();
        else if (name.compare("%general", Qt::CaseInsensitive) == 0)
            m_section = QString::fromLatin1(name.sliced(1)) + u'/';
        else
            m_section = unescapedKey(name) + u'/';
        return;
    }
    if (equals < 0) {
        m_rewriteDropsText = true;
        return;
    }
    const QString key = m_section + unescapedKey(line.first(equals - start).trimmed());
    QByteArray value = line.sliced(equals - start + 1).trimmed().toByteArray();
    if (m_values.contains(key))
        m_rewriteDropsText = true;
    m_values.insert(key, std::move(value));
}
