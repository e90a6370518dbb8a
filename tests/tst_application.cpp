// The program as a whole process: started as the user starts it, ended as the desktop ends it.

#include "application.h"
#include "infounit.h"
#include "mainunit.h"
#include "shortlist.h"
#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <csignal>
#endif

namespace {

using namespace namorel::testing;

// Whether the process has installed its own handler for a signal, read from /proc.
bool catchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

// A configuration folder for the program. With \a writable false, a file stands where the store's folder
// belongs, so that no save can succeed, not even as root.
QString prepareConfig(const QTemporaryDir &config, bool writable, const QByteArray &stored)
{
    const QString folder = config.filePath(QStringLiteral("Tessaly"));
    if (!writable) {
        QFile blocker(folder);
        return blocker.open(QIODevice::WriteOnly) ? folder : QString();
    }
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Nomigraph.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(stored) != stored.size())
        return QString();
    return file.fileName();
}

QProcessEnvironment programEnvironment(const QTemporaryDir &config)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    return environment;
}

// The child's side: the program as main() sets it up, with a modal window open when the test asks it to end.
int runChild(const QByteArray &role, int &argc, char **argv)
{
    using namespace namorel;
    Application app(argc, argv);
    TMainForm mainForm;
    MainForm = &mainForm;
    TInfoForm infoForm(&mainForm);
    InfoForm = &infoForm;
    SaveSettingsOnTermination();
    mainForm.show();

    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, &app, [&ready] {
        if (QApplication::activeModalWidget()) {
            ready.stop();
            std::printf("ready\n");
            std::fflush(stdout);
        }
    });
    ready.start(10);
    QTimer::singleShot(0, &mainForm, [role, &mainForm] {
        if (role == "about")
            mainForm.About1Click();
        else
            mainForm.close(); // the store cannot be written: the error report stays open
    });
    const int exitCode = Application::exec();
    MainForm = nullptr;
    InfoForm = nullptr;
    return exitCode;
}

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void terminationSavesTheSettingsAndEndsNormally_data();
    void terminationSavesTheSettingsAndEndsNormally();
    void terminationEndsModalWindows_data();
    void terminationEndsModalWindows();
    void terminationStoresTheNoteBeingTyped();
    void informationIsPrintedWithoutADisplay_data();
    void informationIsPrintedWithoutADisplay();
    void librariesAreNotTakenFromTheCurrentFolder();
    void otherArgumentsStartTheProgramAsBefore_data();
    void otherArgumentsStartTheProgramAsBefore();
};

void TestApplication::terminationSavesTheSettingsAndEndsNormally_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("writable");
#ifdef Q_OS_LINUX
    QTest::newRow("the system asks the program to end") << int(SIGTERM) << true;
    QTest::newRow("the session goes away") << int(SIGHUP) << true;
    QTest::newRow("the system asks to end and the settings cannot be saved") << int(SIGTERM) << false;
    QTest::newRow("the session goes away and the settings cannot be saved") << int(SIGHUP) << false;
#endif
}

void TestApplication::terminationSavesTheSettingsAndEndsNormally()
{
#ifndef Q_OS_LINUX
    QSKIP("signals are a Unix matter, and the check reads /proc");
#else
    QFETCH(int, signal);
    QFETCH(bool, writable);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    // Stored values that the program corrects as it loads them: a save writes them back corrected.
    const QString settings = prepareConfig(config, writable,
        "[Setup]\nsurname=\"   \"\nmiddlename=\"Rose\"\ngender=dword:00000001\nmin=dword:00000000\n"
        "max=dword:00000063\n");
    QVERIFY(!settings.isEmpty());

    QProcess program;
    program.setProcessEnvironment(programEnvironment(config));
    program.start(QStringLiteral(NAMOREL_PROGRAM), {});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(program.processId(), signal), 20000);

    ::kill(pid_t(program.processId()), signal);
    // A failed save neither shows an error nor keeps the window open: the program ends all the same.
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    if (writable) {
        QCOMPARE(readFile(settings),
            QByteArray("[Setup]\nsurname=\"Smith\"\nmiddlename=\"Rose\"\ngender=dword:00000001\n"
                       "min=dword:00000001\nmax=dword:00000014\nexclude=\"\"\ninclude=\"\"\n"
                       "balance=dword:00000000\nrhythm=dword:00000000\nalliteration=dword:00000000\n"));
    } else {
        QVERIFY(QFileInfo(settings).isFile());
    }
#endif
}

void TestApplication::informationIsPrintedWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output"); // where standard output goes; empty: read by the test
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<int>("exitCode");

    const QString version = QStringLiteral("Namorel " NAMOREL_VERSION);
    const QString usage = QStringLiteral("Usage: namorel [--help | --version]");
    QTest::newRow("--version") << QStringList { QStringLiteral("--version") } << QString() << version << 0;
    QTest::newRow("--help") << QStringList { QStringLiteral("--help") } << QString() << usage << 0;
    QTest::newRow("-h") << QStringList { QStringLiteral("-h") } << QString() << usage << 0;
    QTest::newRow("among the toolkit's own options")
        << QStringList { QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("--help") } << QString()
        << usage << 0;
    QTest::newRow("the first of the two wins")
        << QStringList { QStringLiteral("--version"), QStringLiteral("--help") } << QString() << version << 0;
    QTest::newRow("an output that cannot be written is a failure")
        << QStringList { QStringLiteral("--version") } << QStringLiteral("/dev/full") << QString() << 1;
}

void TestApplication::informationIsPrintedWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(QString, firstLine);
    QFETCH(int, exitCode);

    // Without a display the window toolkit would end the program before it printed anything.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(variable));
    QProcess program;
    program.setProcessEnvironment(environment);
    if (!output.isEmpty())
        program.setStandardOutputFile(output);
    program.start(QStringLiteral(NAMOREL_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    if (output.isEmpty()) {
        const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
        QCOMPARE(printed.section(u'\n', 0, 0), firstLine);
        QVERIFY(printed.endsWith(u'\n'));
    }
}

void TestApplication::librariesAreNotTakenFromTheCurrentFolder()
{
    // The folder the program is started from may hold anything, files named like its libraries too: it takes
    // its libraries from the system alone.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const char *library : { "libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6", "libc.so.6" }) {
        QFile planted(folder.filePath(QString::fromLatin1(library)));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("not a library");
    }
    QProcess program;
    program.setWorkingDirectory(folder.path());
    program.start(QStringLiteral(NAMOREL_PROGRAM), { QStringLiteral("--version") });
    QVERIFY(program.waitForFinished(20000));
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()).section(u'\n', 0, 0),
        QStringLiteral("Namorel " NAMOREL_VERSION));
}

void TestApplication::otherArgumentsStartTheProgramAsBefore_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("an option of no meaning") << QStringList { QStringLiteral("--versions") };
    QTest::newRow("an option after --") << QStringList { QStringLiteral("--"), QStringLiteral("--version") };
}

void TestApplication::otherArgumentsStartTheProgramAsBefore()
{
#ifndef Q_OS_LINUX
    QSKIP("the check that the program runs reads /proc");
#else
    QFETCH(QStringList, arguments);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(NAMOREL_PROGRAM), arguments);
    QVERIFY(program.waitForStarted());
    // Its window is up once it listens for the end of the session.
    QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(program.processId(), SIGTERM), 20000);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
#endif
}

void TestApplication::terminationEndsModalWindows_data()
{
    QTest::addColumn<QByteArray>("role");
    QTest::newRow("the About window is open") << QByteArray("about");
    QTest::newRow("the error report of a failed close is open") << QByteArray("failedClose");
}

void TestApplication::terminationEndsModalWindows()
{
#ifndef Q_OS_LINUX
    QSKIP("signals are a Unix matter");
#else
    QFETCH(QByteArray, role);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    QVERIFY(!prepareConfig(config, false, {}).isEmpty());

    QProcess program;
    QVERIFY(startChild(program, role.constData(), {}, {}, 0, programEnvironment(config)));
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAllStandardOutput()).contains("ready\n"), 20000);

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY2(program.waitForFinished(20000), "a modal window kept the program running");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
#endif
}

void TestApplication::terminationStoresTheNoteBeingTyped()
{
#ifndef Q_OS_LINUX
    QSKIP("signals are a Unix matter");
#else
    // The name card is open with stars given and a note typed but not entered when the system asks the program
    // to end: the note is stored, nothing is asked of the user, and the program ends normally.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(!prepareConfig(home, true, {}).isEmpty());
    const QString note = QStringLiteral("Like her great-grandmother");
    QProcess program;
    QProcessEnvironment environment = programEnvironment(home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(NAMOREL_PLUGIN_DIR));
    environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("namoreluidriver:note=") + note);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(NAMOREL_PROGRAM), {});
    QVERIFY(program.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAllStandardOutput()).contains("typed: "), 120000);

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY2(program.waitForFinished(30000), "the program did not end");
    output += program.readAllStandardOutput();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, program.readAllStandardError().right(4000).constData());
    QCOMPARE(program.exitCode(), 0);
    // The driver prints any message box the program shows.
    QVERIFY2(!output.contains("error: "), output.constData());

    QDirIterator found(home.filePath(QStringLiteral("data")), { QStringLiteral("shortlist.sqlite") }, QDir::Files,
        QDirIterator::Subdirectories);
    QVERIFY2(found.hasNext(), "the program stored no rating");
    const namorel::Shortlist shortlist(found.next());
    const QList<namorel::Rating> mine = shortlist.mine();
    QCOMPARE(mine.size(), 1);
    QVERIFY(output.contains("typed: " + mine.first().Name.toUtf8() + " - Namorel"));
    QCOMPARE(mine.first().Stars, 4);
    QCOMPARE(mine.first().Note, note);
#endif
}

int main(int argc, char *argv[])
{
    // The modal-window tests start this program again as the program under test.
    if (const ChildTask task = childTask(); !task.Role.isEmpty())
        return runChild(task.Role, argc, argv);
    QCoreApplication app(argc, argv);
    TestApplication test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
