#pragma once

#include <QSet>
#include <QString>

#include <string>

class QDir;

// File names for downloads: what a server suggests made safe to save, a
// name that overwrites nothing, and whether the file would run as a program.
class DownloadFileName
{
public:
    static constexpr auto fallbackName = "download";
    // The engine writes to the name with this added until the file is whole.
    static constexpr auto partialSuffix = ".download";
    // The longest name most Linux file systems take is 255 bytes of UTF-8;
    // the partial file's name must fit too.
    static constexpr int maximumBytes = 255 - int(std::char_traits<char>::length(partialSuffix));

    // The last path component of a suggested name, without control
    // characters, surrounding blanks or leading dots (no hidden files, no
    // "..") and shortened to maximumBytes keeping its extension; empty
    // results become fallbackName.
    static QString sanitized(const QString &suggested);
    // fileName itself when neither the folder (not even as a symbolic link,
    // dangling or not) nor `taken` has it, else
    // "name (1).pdf", "name (2).pdf" and so on; "archive (1).tar.gz" for
    // two-part extensions.
    static QString unused(const QDir &folder, const QString &fileName,
                          const QSet<QString> &taken = {});
    // A type that runs as a program or installs one when opened.
    static bool isExecutable(const QString &fileName);
};
