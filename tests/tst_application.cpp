// The program as a whole process: started as the user starts it, ended as the desktop ends it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#endif

namespace {

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

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void terminationSavesTheSettingsAndEndsNormally_data();
    void terminationSavesTheSettingsAndEndsNormally();
    void informationIsPrintedWithoutADisplay_data();
    void informationIsPrintedWithoutADisplay();
    void otherArgumentsStartTheProgramAsBefore_data();
    void otherArgumentsStartTheProgramAsBefore();
};

void TestApplication::terminationSavesTheSettingsAndEndsNormally_data()
{
    QTest::addColumn<int>("signal");
#ifdef Q_OS_LINUX
    QTest::newRow("the system asks the program to end") << int(SIGTERM);
    QTest::newRow("the session goes away") << int(SIGHUP);
#endif
}

void TestApplication::terminationSavesTheSettingsAndEndsNormally()
{
#ifndef Q_OS_LINUX
    QSKIP("signals are a Unix matter, and the check reads /proc");
#else
    QFETCH(int, signal);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Tessaly")));
    // Stored values that the program corrects as it loads them: a save writes them back corrected.
    const QString settings = config.filePath(QStringLiteral("Tessaly/Nomigraph.conf"));
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Setup]\nsurname=\"   \"\nmiddlename=\"Rose\"\ngender=dword:00000001\nmin=dword:00000000\n"
               "max=dword:00000063\n");
    file.close();

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(NAMOREL_PROGRAM), {});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(program.processId(), signal), 20000);

    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
        QByteArray("[Setup]\nsurname=\"Smith\"\nmiddlename=\"Rose\"\ngender=dword:00000001\n"
                   "min=dword:00000001\nmax=dword:00000014\nexclude=\"\"\ninclude=\"\"\n"
                   "balance=dword:00000000\nrhythm=dword:00000000\nalliteration=dword:00000000\n"));
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

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
