#pragma once

#include <QByteArray>
#include <QString>

// Files the user relies on (the session, saved lists, exports) are replaced
// whole or not at all. QSaveFile alone is not enough: on a full disk Qt 6.4
// renames the half-written file into place and reports success, so the
// written bytes are flushed and checked before the file takes the old one's
// place.
namespace WholeFile {

// Empty when bytes are at path; otherwise why not, and path is as it was.
QString write(const QString &path, const QByteArray &bytes);

} // namespace WholeFile
