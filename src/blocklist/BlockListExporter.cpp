#include "blocklist/BlockListExporter.h"

#include "blocklist/MatchPattern.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// A title is one line of a comment; line breaks and control characters in it
// would start rules of their own.
QString oneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text)
        line.append(c.category() == QChar::Other_Control || c == QChar::LineSeparator
                            || c == QChar::ParagraphSeparator
                        ? u' '
                        : c);
    return line.simplified();
}

} // namespace

BlockListExporter::Result BlockListExporter::write(const QString &title,
                                                   const QStringList &patterns)
{
    Result result;
    QString text;
    const QString titleLine = oneLine(title);
    if (!titleLine.isEmpty())
        text += u"# Title: "_s + titleLine + u'\n';

    QSet<QString> written;
    for (const QString &pattern : patterns) {
        QStringView name = QStringView(pattern).trimmed();
        if (name.startsWith(u"*."))
            name = name.sliced(2);
        const QString host = MatchPattern::normalisedHost(name);
        if (host.isEmpty()) {
            result.leftOut.append(pattern);
            continue;
        }
        if (written.contains(host))
            continue;
        written.insert(host);
        text += u"*://*."_s + host + u"/*\n"_s;
    }
    result.utf8 = text.toUtf8();
    return result;
}
