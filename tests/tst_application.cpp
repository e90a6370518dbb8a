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

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
