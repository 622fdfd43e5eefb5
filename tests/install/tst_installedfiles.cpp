#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

namespace {

const QString appId = QStringLiteral(VELMORA_APP_ID);
const QString iconTheme = u"share/icons/hicolor/"_s;
const QList<int> iconSizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + u" did not finish: "_s + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// The [Desktop Entry] group as the desktop reads it: key (with locale) -> value.
std::map<QString, QString> desktopEntry(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    std::map<QString, QString> entry;
    bool inGroup = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inGroup = line == u"[Desktop Entry]"_s;
        const qsizetype equals = line.indexOf(u'=');
        if (inGroup && equals > 0)
            entry[line.left(equals).trimmed()] = line.mid(equals + 1).trimmed();
    }
    return entry;
}

} // namespace

// Installs the build as `cmake --install` does for a user or a package, then
// checks what the desktop finds there: the programs, the launcher entry that
// makes the browser selectable for web links, its icons and the software
// centre's description.
class TestInstalledFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void installsExactlyTheDesktopFileSet();
    void iconsHaveTheirThemeSize_data();
    void iconsHaveTheirThemeSize();
    void validatorsAccept_data();
    void validatorsAccept();
    void launcherOpensWebLinksWithTheInstalledProgram();
    void softwareCentreEntryNamesTheLauncher();
    void installedCheckProgramRuns();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
};

void TestInstalledFiles::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const Run install
        = run(QStringLiteral(VELMORA_CMAKE),
              {u"--install"_s, QStringLiteral(VELMORA_BUILD_DIR), u"--prefix"_s, m_prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void TestInstalledFiles::installsExactlyTheDesktopFileSet()
{
    QStringList expected = {
        u"bin/velmora-check"_s,
        u"bin/velmora-shopping-browser"_s,
        u"share/applications/"_s + appId + u".desktop"_s,
        u"share/metainfo/"_s + appId + u".metainfo.xml"_s,
        iconTheme + u"scalable/apps/"_s + appId + u".svg"_s,
    };
    for (const int size : iconSizes)
        expected << iconTheme + u"%1x%1/apps/"_s.arg(size) + appId + u".png"_s;
    expected.sort();

    QStringList found;
    QDirIterator files(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        found << QDir(m_prefix.path()).relativeFilePath(files.next());
    found.sort();
    QCOMPARE(found, expected);

    for (const QString &program : {u"bin/velmora-check"_s, u"bin/velmora-shopping-browser"_s})
        QVERIFY2(QFileInfo(installed(program)).isExecutable(), qPrintable(program));
}

void TestInstalledFiles::iconsHaveTheirThemeSize_data()
{
    QTest::addColumn<int>("size");
    for (const int size : iconSizes)
        QTest::addRow("%dpx", size) << size;
}

void TestInstalledFiles::iconsHaveTheirThemeSize()
{
    QFETCH(int, size);
    QImageReader reader(installed(iconTheme + u"%1x%1/apps/"_s.arg(size) + appId + u".png"_s));
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(icon.size(), QSize(size, size));
    // A shape on a clear ground, not a filled square: the corners show the
    // panel behind the icon, the centre is drawn.
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
}

void TestInstalledFiles::validatorsAccept_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addRow("desktop-file-validate")
        << u"desktop-file-validate"_s
        << QStringList {installed(u"share/applications/"_s + appId + u".desktop"_s)};
    QTest::addRow("appstreamcli") << u"appstreamcli"_s
                                  << QStringList {u"validate"_s, u"--no-net"_s,
                                                  installed(u"share/metainfo/"_s + appId
                                                            + u".metainfo.xml"_s)};
}

void TestInstalledFiles::validatorsAccept()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const Run validation = run(program, arguments);
    QVERIFY2(validation.exitCode == 0, qPrintable(program + u": "_s + validation.output));
}

void TestInstalledFiles::launcherOpensWebLinksWithTheInstalledProgram()
{
    auto entry = desktopEntry(installed(u"share/applications/"_s + appId + u".desktop"_s));

    // `xdg-settings set default-web-browser` accepts only an entry that
    // handles both schemes, and passes links through the %U field code.
    const QStringList types = entry[u"MimeType"_s].split(u';', Qt::SkipEmptyParts);
    for (const QString &type :
         {u"x-scheme-handler/http"_s, u"x-scheme-handler/https"_s, u"text/html"_s})
        QVERIFY2(types.contains(type), qPrintable(type));
    QVERIFY(entry[u"Categories"_s].split(u';').contains(u"WebBrowser"_s));

    const QStringList exec = entry[u"Exec"_s].split(u' ');
    QCOMPARE(exec, QStringList({u"velmora-shopping-browser"_s, u"%U"_s}));
    QVERIFY(QFileInfo(installed(u"bin/"_s + exec.first())).isExecutable());

    // The icon the launcher names is the one installed in the theme.
    QCOMPARE(entry[u"Icon"_s], appId);
    QVERIFY(!entry[u"Name[ja]"_s].isEmpty());
    QVERIFY(!entry[u"Comment[ja]"_s].isEmpty());
}

void TestInstalledFiles::softwareCentreEntryNamesTheLauncher()
{
    QFile metainfo(installed(u"share/metainfo/"_s + appId + u".metainfo.xml"_s));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(metainfo.readAll());
    const QRegularExpression launchable(u"<launchable type=\"desktop-id\">([^<]+)</launchable>"_s);
    const QRegularExpressionMatch match = launchable.match(text);
    QVERIFY(match.hasMatch());
    QVERIFY2(QFileInfo::exists(installed(u"share/applications/"_s + match.captured(1))),
             qPrintable(match.captured(1)));
}

void TestInstalledFiles::installedCheckProgramRuns()
{
    // Installed, the program runs with nothing from the build tree.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    const Run check = run(installed(u"bin/velmora-check"_s), {u"https://example.com/"_s}, env);
    QCOMPARE(check.exitCode, 0);
    QVERIFY2(check.output.contains(u"\"verdict\":\"neutral\""_s), qPrintable(check.output));
}

QTEST_GUILESS_MAIN(TestInstalledFiles)
#include "tst_installedfiles.moc"
