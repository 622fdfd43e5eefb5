#include "cli/CheckCommand.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);

    const QString settingsFile = qEnvironmentVariable(CheckCommand::settingsFileVariable);
    const std::unique_ptr<const SettingsPreferencesStore> preferences = settingsFile.isEmpty()
        ? std::make_unique<SettingsPreferencesStore>()
        : std::make_unique<SettingsPreferencesStore>(settingsFile);

    QTextStream out(stdout);
    QTextStream err(stderr);
    CheckCommand command(*preferences, out, err);
    return command.run(QCoreApplication::arguments().mid(1));
}
