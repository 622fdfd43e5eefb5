#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString appId = QStringLiteral(VELMORA_APP_ID);
const QString iconTheme = u"share/icons/hicolor/"_s;
const QList<int> iconSizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};
const QString launcher = u"share/applications/"_s + appId + u".desktop"_s;
const QString metainfo = u"share/metainfo/"_s + appId + u".metainfo.xml"_s;

QString iconFile(int size)
{
    return iconTheme + u"%1x%1/apps/"_s.arg(size) + appId + u".png"_s;
}

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

    void installsTheDesktopFileSetThatOpensWebLinks();
    void validatorsAndTheInstalledCheckAccept();

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

void TestInstalledFiles::installsTheDesktopFileSetThatOpensWebLinks()
{
    QStringList expected = {
        u"bin/velmora-check"_s,
        u"bin/velmora-shopping-browser"_s,
        launcher,
        metainfo,
        iconTheme + u"scalable/apps/"_s + appId + u".svg"_s,
        u"share/doc/velmora-shopping-browser/english-words.copyright"_s,
    };
    for (const int size : iconSizes)
        expected << iconFile(size);
    expected.sort();

    QStringList found;
    QDirIterator files(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        found << QDir(m_prefix.path()).relativeFilePath(files.next());
    found.sort();
    QCOMPARE(found, expected);

    for (const QString &program : {u"bin/velmora-check"_s, u"bin/velmora-shopping-browser"_s})
        QVERIFY2(QFileInfo(installed(program)).isExecutable(), qPrintable(program));

    // Each icon has its theme size, and is a shape on a clear ground, not a
    // filled square: the corners show the panel behind it.
    for (const int size : iconSizes) {
        const QImage icon(installed(iconFile(size)));
        QCOMPARE(icon.size(), QSize(size, size));
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }

    QFile file(installed(launcher));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    const auto values = [&lines](const QString &key) {
        const QStringList found = lines.filter(QRegularExpression(u"^"_s + key + u"="_s));
        return found.value(0).section(u'=', 1).split(u';', Qt::SkipEmptyParts);
    };

    // `xdg-settings set default-web-browser` accepts only an entry that
    // handles both schemes, and passes links through the %U field code.
    const QStringList types = values(u"MimeType"_s);
    for (const QString &type :
         {u"x-scheme-handler/http"_s, u"x-scheme-handler/https"_s, u"text/html"_s})
        QVERIFY2(types.contains(type), qPrintable(type));
    QCOMPARE(values(u"Exec"_s), QStringList {u"velmora-shopping-browser %U"_s});
    // The icon the launcher names is the one installed in the theme.
    QCOMPARE(values(u"Icon"_s), QStringList {appId});

    // The software centre's entry names this launcher.
    QFile entry(installed(metainfo));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(
        QString::fromUtf8(entry.readAll())
            .contains(u"<launchable type=\"desktop-id\">"_s + appId + u".desktop</launchable>"_s));
}

void TestInstalledFiles::validatorsAndTheInstalledCheckAccept()
{
    // Each command, and what it must say. Installed, the check program runs
    // with nothing from the build tree, in a home of its own.
    const QList<std::pair<QStringList, QString>> commands {
        {{u"desktop-file-validate"_s, installed(launcher)}, {}},
        {{u"appstreamcli"_s, u"validate"_s, u"--no-net"_s, installed(metainfo)}, {}},
        {{installed(u"bin/velmora-check"_s), u"https://example.com/"_s},
         u"\"verdict\":\"neutral\""_s}};
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    for (const auto &[command, says] : commands) {
        const Run result = run(command.first(), command.mid(1), env);
        QVERIFY2(result.exitCode == 0 && result.output.contains(says),
                 qPrintable(command.first() + u": "_s + result.output));
    }
}

QTEST_GUILESS_MAIN(TestInstalledFiles)
#include "tst_installedfiles.moc"
