#include "cli/CheckCommand.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    // The browser's names, so that its data folder (the subscribed lists) is
    // the one read.
    QCoreApplication::setOrganizationName(
        QString::fromLatin1(SettingsPreferencesStore::organizationName));
    QCoreApplication::setApplicationName(
        QString::fromLatin1(SettingsPreferencesStore::applicationName));

    const QString settingsFile = qEnvironmentVariable(CheckCommand::settingsFileVariable);
    // A pipe would hold the check for ever waiting for its writer, and a
    // folder or device is no settings file: neither is taken for "no rules".
    if (const QFileInfo info(settingsFile); info.exists() && !info.isFile()) {
        QTextStream(stderr) << "velmora-check: " << settingsFile
                            << " is not a settings file / 設定ファイルではありません\n";
        return 2;
    }
    const std::unique_ptr<const SettingsPreferencesStore> preferences = settingsFile.isEmpty()
        ? std::make_unique<SettingsPreferencesStore>()
        : std::make_unique<SettingsPreferencesStore>(settingsFile);

    QTextStream out(stdout);
    QTextStream err(stderr);
    CheckCommand command(*preferences, out, err);
    return command.run(QCoreApplication::arguments().mid(1));
}
