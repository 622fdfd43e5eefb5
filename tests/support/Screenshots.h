#pragma once

#include <QDir>
#include <QWidget>

// Pictures for the README are drawn only when VELMORA_SCREENSHOT_DIR names a
// folder (scripts/test.sh -L screenshots); the tests run the same without.
inline bool screenshotsWanted()
{
    return !qEnvironmentVariableIsEmpty("VELMORA_SCREENSHOT_DIR");
}

// False only when a picture was wanted and could not be written.
inline bool saveScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    return folder.isEmpty()
        || (QDir().mkpath(folder) && widget->grab().save(QDir(folder).filePath(name)));
}
