// A command-line driver for whole-process measurements of the name search:
//
//   namorel_searchrun generate <program folder> <lines>
//   namorel_searchrun files <program folder> <gender>
//   namorel_searchrun search <program folder> <gender> <min> <max> [<output prefix>]
//
// "files" prints the paths of the name files that a search over all 41 origins reads, one per line.
// "search" runs one search over all 41 origins and prints the counts and the process's peak memory; with an
// output prefix it also writes the two lists, one name a line in UTF-8, to <prefix>.recommended and
// <prefix>.others.

#include "namesearch.h"
#include "synthdb.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <exception>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

long peakMemoryKiB()
{
#ifdef Q_OS_UNIX
    rusage usage = {};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        return usage.ru_maxrss;
#endif
    return -1;
}

int usage()
{
    std::fputs("usage: namorel_searchrun generate <program folder> <lines>\n"
               "       namorel_searchrun files <program folder> <gender>\n"
               "       namorel_searchrun search <program folder> <gender> <min> <max> [<output prefix>]\n",
        stderr);
    return 2;
}

void writeList(const QString &path, const QStringList &names)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    QByteArray text;
    for (const QString &name : names) {
        text += name.toUtf8();
        text += '\n';
    }
    if (file.write(text) != text.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream out(stdout);
    try {
        if (args.size() == 4 && args[1] == u"generate") {
            namorel::bench::WriteSyntheticDatabase(args[2] + u'/', args[3].toLongLong());
            return 0;
        }
        if (args.size() == 4 && args[1] == u"files") {
            for (const QString &path : namorel::BuildFileList(namorel::OriginTable(), args[3].toInt(), args[2] + u'/'))
                out << path << '\n';
            return 0;
        }
        if ((args.size() == 6 || args.size() == 7) && args[1] == u"search") {
            namorel::NameQuery query;
            query.Origins = namorel::OriginTable();
            query.ProgramFolder = args[2] + u'/';
            query.GenderIndex = args[3].toInt();
            query.MinLength = args[4].toInt();
            query.MaxLength = args[5].toInt();
            const namorel::SearchResult result = namorel::RunSearch(query);
            out << "scanned=" << result.ScannedCount << " recommended=" << result.Recommended.size()
                << " not_recommended=" << result.NotRecommended.size() << " peak_kib=" << peakMemoryKiB() << Qt::endl;
            if (args.size() == 7) {
                writeList(args[6] + QStringLiteral(".recommended"), result.Recommended);
                writeList(args[6] + QStringLiteral(".others"), result.NotRecommended);
            }
            return 0;
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "namorel_searchrun: %s\n", error.what());
        return 1;
    }
    return usage();
}
