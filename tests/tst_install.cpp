// The program as a user installs it: `cmake --install` into a fresh prefix, then the installed copy, started
// the ways a user starts it, searches the names installed beside it and opens a name card. The search is driven through
// the program's own window by the driver plugin of tools/uidriver.

#include "namesearch.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace namorel;

namespace {

// The entries the installed program starts with; the expected result is computed from them.
constexpr qint32 gender = 1;
constexpr qint32 minLength = 4;
constexpr qint32 maxLength = 6;

struct Run
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsEachFileInItsPlace_data();
    void installsEachFileInItsPlace();
    void installsTheWholeDatabase();
    void installedCopySearchesItsOwnNames_data();
    void installedCopySearchesItsOwnNames();
    void aMissingNameFileIsReportedByItsInstalledPath();

private:
    QString installed(const QString &path) const { return m_prefix + u'/' + path; }
    Run start(const QString &program, const QStringList &arguments = {}, const QString &path = {});

    QTemporaryDir m_root;
    QString m_prefix;
    QString m_home;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_prefix = m_root.filePath(u"usr"_s);
    m_home = m_root.filePath(u"home"_s);

    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(NAMOREL_CMAKE_COMMAND),
        { u"--install"_s, QStringLiteral(NAMOREL_BINARY_DIR), u"--prefix"_s, m_prefix });
    QVERIFY(install.waitForFinished(120'000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0, install.readAll().constData());

    // Stored entries, so that the search to expect is known.
    QVERIFY(QDir().mkpath(m_home + u"/config/Tessaly"_s));
    QFile settings(m_home + u"/config/Tessaly/Nomigraph.conf"_s);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(u"[Setup]\nsurname=\"Whitfield\"\nmiddlename=\"\"\ngender=dword:%1\nmin=dword:%2\nmax=dword:%3\n"_s
                       .arg(gender, 8, 16, QChar(u'0'))
                       .arg(minLength, 8, 16, QChar(u'0'))
                       .arg(maxLength, 8, 16, QChar(u'0'))
                       .toUtf8());
}

// Starts a program with the driver plugin, which runs one search and closes the window.
Run TestInstall::start(const QString &program, const QStringList &arguments, const QString &path)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QT_PLUGIN_PATH"_s, QStringLiteral(NAMOREL_PLUGIN_DIR));
    environment.insert(u"QT_QPA_GENERIC_PLUGINS"_s, u"namoreluidriver"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, m_home + u"/config"_s);
    environment.insert(u"HOME"_s, m_home);
    if (!path.isEmpty())
        environment.insert(u"PATH"_s, path);

    QProcess process;
    process.setProcessEnvironment(environment);
    // Nowhere near the program: nothing may be found relative to the current folder.
    process.setWorkingDirectory(m_home);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        run.errors = u"the program did not end"_s;
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void TestInstall::installsEachFileInItsPlace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("iconSize");

    QTest::newRow("the launcher entry") << u"share/applications/namorel.desktop"_s << 0;
    QTest::newRow("the software-centre listing") << u"share/metainfo/com.namorel.namorel.metainfo.xml"_s << 0;
    QTest::newRow("the licence") << u"share/doc/namorel/LICENSE"_s << 0;
    QTest::newRow("the credits of the name data") << u"share/doc/namorel/NOTICE"_s << 0;
    QTest::newRow("the module of the name card, beside the program") << u"lib/namorel/namorel-cards.so"_s << 0;
    QTest::newRow("the scalable icon") << u"share/icons/hicolor/scalable/apps/namorel.svg"_s << 0;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 }) {
        QTest::addRow("the icon of %d pixels", size)
            << u"share/icons/hicolor/%1x%1/apps/namorel.png"_s.arg(size) << size;
    }
}

void TestInstall::installsEachFileInItsPlace()
{
    QFETCH(QString, path);
    QFETCH(int, iconSize);

    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path));
    if (iconSize > 0) {
        const QImage icon(file.filePath());
        QCOMPARE(icon.size(), QSize(iconSize, iconSize));
        QVERIFY(icon.hasAlphaChannel());
    }
}

void TestInstall::installsTheWholeDatabase()
{
    // The name files and the facts the name card reads.
    const auto names = [](const QString &folder) {
        return QDir(folder).entryList({ u"*.nam"_s, u"*.txt"_s }, QDir::Files, QDir::Name);
    };
    const QStringList shipped = names(QStringLiteral(NAMOREL_SOURCE_DIR "/database"));
    QVERIFY(!shipped.isEmpty());
    QCOMPARE(names(installed(u"lib/namorel/database"_s)), shipped);
    QVERIFY(QFileInfo(installed(u"lib/namorel/namorel"_s)).isExecutable());
}

void TestInstall::installedCopySearchesItsOwnNames_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("through the link in bin, by its full path") << u"link"_s;
    QTest::newRow("by its name alone, found on the PATH") << u"path"_s;
    QTest::newRow("through a link of the user's own to the link") << u"user link"_s;
    QTest::newRow("after the whole installed tree has moved") << u"moved"_s;
}

void TestInstall::installedCopySearchesItsOwnNames()
{
    QFETCH(QString, how);

    NameQuery query;
    query.Origins = OriginTable();
    query.GenderIndex = gender;
    query.MinLength = minLength;
    query.MaxLength = maxLength;
    query.ProgramFolder = QStringLiteral(NAMOREL_SOURCE_DIR "/");
    const SearchResult expected = RunSearch(query);
    QVERIFY(!expected.Recommended.isEmpty());

    Run run;
    if (how == u"link") {
        run = start(installed(u"bin/namorel"_s));
    } else if (how == u"path") {
        // Started as a shell starts it: argv[0] is the bare name.
        run = start(
            u"/bin/sh"_s, { u"-c"_s, u"exec namorel"_s }, installed(u"bin"_s) + u':' + qEnvironmentVariable("PATH"));
    } else if (how == u"user link") {
        const QString own = m_root.filePath(u"own/baby-names"_s);
        QVERIFY(QDir().mkpath(QFileInfo(own).path()));
        QVERIFY(QFile::exists(own) || QFile::link(installed(u"bin/namorel"_s), own));
        run = start(own);
    } else if (how == u"moved") {
        const QString moved = m_root.filePath(u"moved"_s);
        QVERIFY(QDir().rename(m_prefix, moved));
        run = start(moved + u"/bin/namorel"_s);
        QVERIFY(QDir().rename(moved, m_prefix));
    }

    const QString report = run.lines.join(u'\n') + u'\n' + run.errors;
    QVERIFY2(run.exitCode == 0, qPrintable(report));
    QString summary = SummaryText(expected);
    summary.replace(u"\r\n"_s, u"\\n"_s);
    QVERIFY2(run.lines.contains(u"summary: "_s + summary), qPrintable(report));
    QVERIFY2(run.lines.contains(u"recommended: %1"_s.arg(expected.Recommended.size())), qPrintable(report));
    // The name card of the first name reads the facts installed beside the names.
    QVERIFY2(run.lines.contains(u"card: %1 - Namorel"_s.arg(expected.Recommended.first())), qPrintable(report));
    QVERIFY2(!run.lines.join(u'\n').contains(u"error:"_s), qPrintable(report));
}

void TestInstall::aMissingNameFileIsReportedByItsInstalledPath()
{
    const QString missing = NameFilePath(installed(u"lib/namorel/"_s), OriginTable().first(), gender);
    const QString aside = m_root.filePath(u"aside.nam"_s);
    QVERIFY(QFile::rename(missing, aside));
    const Run run = start(installed(u"bin/namorel"_s));
    QVERIFY(QFile::rename(aside, missing));

    const QString report = run.lines.join(u'\n') + u'\n' + run.errors;
    QVERIFY2(run.exitCode == 0, qPrintable(report));
    QVERIFY2(run.lines.contains(u"error: Cannot open file "_s + missing + u'.'), qPrintable(report));
    QVERIFY2(!run.lines.join(u'\n').contains(u"summary:"_s), qPrintable(report));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
