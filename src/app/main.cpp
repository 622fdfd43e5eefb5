#include "app/JapaneseTranslations.h"
#include "app/SingleInstance.h"
#include "app/VelmoraShoppingBrowserApp.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/RuleSet.h"
#include "safety/SafeBrowsingEngine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFontMetrics>
#include <QLocale>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTextStream>

#include <functional>
#include <future>

#include <unistd.h>

namespace {

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The addresses to open, as a desktop hands them over: URLs, or paths of
// local files (relative ones from the folder the program started in).
// --help, --version and a wrong option end the program inside the parser;
// beforeExit runs first.
QList<QUrl> addressArguments(const QApplication &application,
                             const std::function<void()> &beforeExit)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Velmora Shopping Browser — 安全にネットショッピングするためのブラウザ"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("開くアドレス（複数可）"),
                                 QStringLiteral("[URL...]"));
    if (!parser.parse(QCoreApplication::arguments()) || parser.isSet(help)
        || parser.isSet(version)) {
        beforeExit();
        parser.process(application);
    }
    QList<QUrl> urls;
    for (const QString &argument : parser.positionalArguments()) {
        // An address written out whole is taken as written: fromUserInput
        // would mend one that does not parse into another
        // ("http://scam.top:99999/" into the host "http").
        const QUrl written(argument);
        if (argument.contains(QLatin1String("://"))) {
            urls.append(written);
            continue;
        }
        const QUrl url = QUrl::fromUserInput(argument, QDir::currentPath(), QUrl::AssumeLocalFile);
        // What does not parse is still opened, as its own text, so that the
        // screening blocks it with a reason instead of it vanishing.
        urls.append(url.isValid() ? url : written);
    }
    return urls;
}

// Whether the web engine was told to draw without the GPU. Its frames are
// then bitmaps: passed through OpenGL they cost a software rasteriser's pass
// over the whole window each, while Qt Quick's software renderer paints
// them straight into the window.
bool engineDrawsWithoutGpu()
{
    return qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ').contains("--disable-gpu")
        || qgetenv("QT_QUICK_BACKEND") == "software";
}

} // namespace

int main(int argc, char *argv[])
{
    if (!hasDisplay()) {
        // Without a display Qt would abort; tell the user what works instead.
        QTextStream out(stdout);
        out << "Velmora Shopping Browser needs a display, and none was found.\n"
            << "ディスプレイが見つかりません。画面のない環境では Xvfb で起動してください:\n"
            << "  xvfb-run -a -s '-screen 0 1440x900x24' " << QString::fromLocal8Bit(argv[0])
            << "\n";
        return 0;
    }
    // The engine's sandbox refuses to start as root; a user who runs the
    // browser that way gets a working browser rather than a crash, and is
    // told what it costs.
    if (geteuid() == 0) {
        if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        QTextStream(stderr)
            << "Velmora Shopping Browser: running as root, so the web engine's sandbox is off "
               "(the engine does not start as root otherwise). Web pages run without that "
               "protection; start the browser as a normal user.\n"
            << "root で実行しているため、Web エンジンのサンドボックスを無効にしました。"
               "通常のユーザーで起動してください。\n";
    }
    // Web views share their GL context with the rest of the window, which
    // has to be asked for before the application object exists.
    const bool software = engineDrawsWithoutGpu();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts, !software);
    // Without the GPU the engine's library would still make a GL context at
    // start that nothing uses, a third of the time to the window; on X11,
    // Qt makes no GL at all while the application object is built. Programs
    // started later (a download's viewer) get the environment as it was.
    const bool noGlDuringStart = software && !qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION");
    if (noGlDuringStart)
        qputenv("QT_XCB_GL_INTEGRATION", "none");

    // The interface is Japanese, and so should be what the web engine says
    // on its own pages (errors) and asks sites for (Accept-Language),
    // whatever the desktop's locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    // The engine's reference tables (public suffixes, brands, shop names,
    // major sites) are built on first use and take a good part of a start:
    // they build on the other core while the display connection comes up.
    const std::future<void> referenceTables = std::async(std::launch::async, [] {
        SafeBrowsingEngine().evaluateSafety(QUrl(QStringLiteral("https://www.example.co.jp/")),
                                            RuleSet());
    });

    QApplication application(argc, argv);
    if (noGlDuringStart)
        qunsetenv("QT_XCB_GL_INTEGRATION");
    // After the application object: the engine's library picks OpenGL as it
    // starts, and the first web view reads the choice.
    if (software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // The first text laid out reads the system's font configuration and
    // finds the Japanese fonts, a tenth of the time to the window; Qt's font
    // database is shared between threads, so that happens on the other core
    // while the stores load.
    const std::future<void> fonts = std::async(std::launch::async, [] {
        QFontMetrics(QFont()).horizontalAdvance(QStringLiteral("安心ブラウザ"));
    });
    JapaneseTranslations::install(application);
    QCoreApplication::setOrganizationName(
        QString::fromLatin1(SettingsPreferencesStore::organizationName));
    QCoreApplication::setApplicationName(
        QString::fromLatin1(SettingsPreferencesStore::applicationName));
    QApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    // exit() takes the tables and Qt's fonts down: the other core must be
    // done with them if the parser ends the program.
    const QList<QUrl> urls = addressArguments(application, [&] {
        referenceTables.wait();
        fonts.wait();
    });

    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    SingleInstance instance(SingleInstance::serverPath(
        dataFolder, QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)));
    switch (instance.claim(urls)) {
    case SingleInstance::Claim::claimed:
        break;
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::refused:
        QTextStream(stderr) << "Velmora Shopping Browser: the running browser refused the "
                               "addresses (too many or too long).\n"
                            << "アドレスが多すぎるか長すぎるため、起動中のブラウザで開けません"
                               "でした。\n";
        return 1;
    case SingleInstance::Claim::notTaken:
        QTextStream(stderr) << "Velmora Shopping Browser: the running browser did not take the "
                               "addresses; try again once it responds.\n"
                            << "起動中のブラウザが応答しないため、アドレスを渡せませんでした。"
                               "応答するようになってから、もう一度お試しください。\n";
        return 1;
    }
    QDir().mkpath(dataFolder);
    SettingsPreferencesStore preferences;
    VelmoraShoppingBrowserApp browser(preferences, dataFolder);
    QObject::connect(&instance, &SingleInstance::requestReceived, &browser,
                     &VelmoraShoppingBrowserApp::openAddresses);
    browser.start(urls);
    return application.exec();
}
