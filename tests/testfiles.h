#pragma once

// Files, texts, errors and child processes as the tests handle them.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <utility>

namespace namorel::testing {

/// The shipped database, where it lives in the source tree, ending in '/'.
inline QString shippedFolder()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

/// A list of texts written as UTF-8 literals.
inline QStringList texts(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

/// The bytes of the file at \a path; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Replaces the file at \a path with \a bytes. Returns whether all of them were written.
[[nodiscard]] inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// The text of the \a Error that \a operation throws; empty when it throws none.
template<typename Error> QString errorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Error &error) {
        // The message whole where the error keeps it, also past a NUL that would end what().
        if constexpr (requires { QString(error.message()); })
            return error.message();
        else
            return QString::fromUtf8(error.what());
    }
    return QString();
}

// ---- The test program run again as a child process ----
// A test that needs a second process starts its own program again in a role; main() asks childTask() first
// and, when there is one, plays the role instead of running the tests. The copy reports each step it has
// done as a line "<verb> <number> <began> <ended>" on its output.

/// What a copy started by startChild() is to do; Role is empty in the program that runs the tests.
struct ChildTask
{
    QByteArray Role;
    QString Path;
    QString Tag;
    int Count = 0;
};

inline ChildTask childTask()
{
    return { qgetenv("NAMOREL_TEST_CHILD"), qEnvironmentVariable("NAMOREL_TEST_PATH"),
        qEnvironmentVariable("NAMOREL_TEST_TAG"), qEnvironmentVariableIntValue("NAMOREL_TEST_COUNT") };
}

/// Starts this test program again as a copy that plays \a role on the file at \a path, in \a environment
/// (by default this program's). Returns whether it started; says why not when it did not.
[[nodiscard]] inline bool startChild(QProcess &child, const char *role, const QString &path, const QString &tag, int count = 0,
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    environment.insert(QStringLiteral("NAMOREL_TEST_CHILD"), QString::fromLatin1(role));
    environment.insert(QStringLiteral("NAMOREL_TEST_PATH"), path);
    environment.insert(QStringLiteral("NAMOREL_TEST_TAG"), tag);
    environment.insert(QStringLiteral("NAMOREL_TEST_COUNT"), QString::number(count));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (child.waitForStarted())
        return true;
    qWarning("the copy did not start: %s", qPrintable(child.errorString()));
    return false;
}

/// Runs \a step and reports it as step \a number of \a verb, with when it began and ended on a clock that all
/// processes share.
inline void reportStep(const char *verb, int number, const std::function<void()> &step)
{
    const auto now = [] {
        return static_cast<long long>(
            std::chrono::nanoseconds(std::chrono::steady_clock::now().time_since_epoch()).count());
    };
    const long long began = now();
    step();
    std::printf("%s %d %lld %lld\n", verb, number, began, now());
    std::fflush(stdout);
}

/// When each step of \a verb that a copy reported on \a output began and ended.
inline QList<std::pair<long long, long long>> reportedTimes(const QByteArray &output, const QByteArray &verb)
{
    QList<std::pair<long long, long long>> times;
    for (const QByteArray &line : output.split('\n')) {
        if (const QByteArrayList fields = line.split(' '); fields.size() == 4 && fields.at(0) == verb)
            times.append({ fields.at(2).toLongLong(), fields.at(3).toLongLong() });
    }
    return times;
}

} // namespace namorel::testing
