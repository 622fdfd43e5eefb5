#include "downloads/DownloadFileName.h"

#include <QDir>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Suffixes of a single file format that span two dots.
const QStringList &compoundSuffixes()
{
    static const QStringList suffixes {u"tar.gz"_s, u"tar.bz2"_s, u"tar.xz"_s, u"tar.zst"_s};
    return suffixes;
}

// ".pdf", ".tar.gz" or nothing; never the whole name.
QString extensionOf(const QString &fileName)
{
    const QString lower = fileName.toLower();
    for (const QString &compound : compoundSuffixes()) {
        if (lower.endsWith(u'.' + compound) && lower.size() > compound.size() + 1)
            return fileName.right(compound.size() + 1);
    }
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.mid(dot) : QString();
}

// base + marker + extension within the byte limit; the base gives way, one
// whole character at a time.
QString fitted(QString base, const QString &marker, const QString &extension)
{
    const auto bytes = [](const QString &text) { return text.toUtf8().size(); };
    const qsizetype room = DownloadFileName::maximumBytes - bytes(marker) - bytes(extension);
    while (!base.isEmpty() && bytes(base) > room) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base + marker + extension;
}

} // namespace

QString DownloadFileName::sanitized(const QString &suggested)
{
    QString name = suggested;
    name.replace(u'\\', u'/');
    name = name.mid(name.lastIndexOf(u'/') + 1);
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    name = name.trimmed();
    if (name.isEmpty())
        return QString::fromLatin1(fallbackName);
    QString extension = extensionOf(name);
    // An extension too long to keep whole is no real one.
    if (extension.toUtf8().size() > maximumBytes / 2)
        extension.clear();
    const QString base = name.left(name.size() - extension.size());
    const QString result = fitted(base, QString(), extension);
    return result.isEmpty() ? QString::fromLatin1(fallbackName) : result;
}

QString DownloadFileName::unused(const QDir &folder, const QString &fileName,
                                 const QSet<QString> &taken)
{
    // A dangling link does not exist for QFileInfo, yet saving through it
    // would create its target, wherever that is.
    const auto isFree = [&](const QString &name) {
        const QFileInfo path(folder.filePath(name));
        return !taken.contains(name) && !path.exists() && !path.isSymLink();
    };
    if (isFree(fileName))
        return fileName;
    const QString extension = extensionOf(fileName);
    const QString base = fileName.left(fileName.size() - extension.size());
    for (int number = 1;; ++number) {
        const QString candidate = fitted(base, u" (%1)"_s.arg(number), extension);
        if (isFree(candidate))
            return candidate;
    }
}

bool DownloadFileName::isExecutable(const QString &fileName)
{
    // Linux desktops also run launchers, AppImages, self-extracting
    // installers and rpm packages when they are opened.
    static const QStringList types {u"exe"_s, u"scr"_s, u"msi"_s, u"apk"_s,     u"bat"_s,
                                    u"cmd"_s, u"js"_s,  u"vbs"_s, u"jar"_s,     u"dmg"_s,
                                    u"pkg"_s, u"deb"_s, u"sh"_s,  u"desktop"_s, u"appimage"_s,
                                    u"run"_s, u"rpm"_s};
    // Windows drops trailing dots and blanks, so "setup.exe. " runs as setup.exe.
    QString name = fileName.trimmed();
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && types.contains(name.mid(dot + 1).toLower());
}
