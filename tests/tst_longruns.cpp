// Long runs, not part of the default test run (CTest label "long"; see the README): thousands of searches over the
// real database, and of presses of "Generate Namorel" in the window, with the program's resident memory checked
// for growth. Meant for a release build: the sanitizers' own bookkeeping grows with every allocation.

#include "mainunit.h"
#include "mainunitcontrols.h"
#include "namesearch.h"
#include "settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace namorel;

namespace {

// How often each run repeats its step; NAMOREL_LONG_RUN_ROUNDS sets another count.
int rounds()
{
    return qEnvironmentVariableIsSet("NAMOREL_LONG_RUN_ROUNDS")
        ? qEnvironmentVariableIntValue("NAMOREL_LONG_RUN_ROUNDS")
        : 10000;
}

// The process's resident memory in bytes, from /proc; 0 where there is no such file.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// Runs \a step the given number of times and checks that resident memory grows by less than 1 % between the end
// of a warm-up (a tenth of the rounds, when caches have filled) and the end.
void runWithoutGrowth(int count, const std::function<void(int)> &step, const char *what)
{
    const int warmUp = qMax(1, count / 10);
    qint64 baseline = 0;
    for (int i = 0; i < count; ++i) {
        step(i);
        if (QTest::currentTestFailed())
            return;
        if (i + 1 == warmUp)
            baseline = residentBytes();
    }
    const qint64 end = residentBytes();
    if (baseline == 0)
        QSKIP("resident memory is read from /proc");
    const double growth = 100.0 * double(end - baseline) / double(baseline);
    // Printed directly: the test's messages may have been cut off after a few thousand warnings of the platform.
    std::printf("%d %s: resident memory %.1f MiB after %d, %.1f MiB at the end: %+.2f %%\n", count, what,
        double(baseline) / (1 << 20), warmUp, double(end) / (1 << 20), growth);
    std::fflush(stdout);
    QVERIFY2(growth < 1.0, qPrintable(QStringLiteral("resident memory grew by %1 %").arg(growth)));
}

} // namespace

class TestLongRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searches();
    void generatePresses();

private:
    QTemporaryDir m_home;
};

void TestLongRuns::initTestCase()
{
    // A settings store of this run's own: the window loads and saves one.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(QFileInfo::exists(QStringLiteral(NAMOREL_PROGRAM_FOLDER "database/celtig.nam")));
}

void TestLongRuns::searches()
{
    NameQuery query;
    query.Origins = OriginTable();
    query.ProgramFolder = QStringLiteral(NAMOREL_PROGRAM_FOLDER);
    qint32 scanned[2] = { 0, 0 };
    runWithoutGrowth(
        rounds(),
        [&](int i) {
            query.GenderIndex = i % 2;
            const SearchResult result = RunSearch(query);
            // Every search of a gender finds the same names.
            if (scanned[i % 2] == 0)
                scanned[i % 2] = result.ScannedCount;
            QCOMPARE(result.ScannedCount, scanned[i % 2]);
        },
        "searches over the database");
}

void TestLongRuns::generatePresses()
{
    TMainForm form;
    ProgramFolder = QStringLiteral(NAMOREL_PROGRAM_FOLDER);
    MainForm = &form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The summary message after each search is closed as soon as it shows.
    int summaries = 0;
    QTimer closer;
    closer.setInterval(1);
    connect(&closer, &QTimer::timeout, &form, [&summaries] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++summaries;
            box->accept();
        }
    });
    closer.start();
    Ui::TMainForm &ui = form.controls();
    runWithoutGrowth(
        rounds(),
        [&](int i) {
            ui.cbGender->setCurrentIndex(i % 2);
            ui.BitBtn2->click();
            QCOMPARE(summaries, i + 1);
        },
        "presses of Generate Namorel");
    MainForm = nullptr;
}

QTEST_MAIN(TestLongRuns)
#include "tst_longruns.moc"
