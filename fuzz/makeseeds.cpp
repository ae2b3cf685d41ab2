// Writes the seed files and the dictionary that must match the program's own
// encoder:  makeseeds <fuzz folder>
// The month names are compared by Qt, which is not instrumented, so without
// the dictionary the fuzzer would hardly ever find a file that decodes.
#include "report/savedfile.h"
#include "report/scrambler.h"
#include "signs/determination.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {
bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeseeds <fuzz folder>\n");
        return 2;
    }
    const QDir fuzz(QString::fromLocal8Bit(argv[1]));
    const QDir corpus(fuzz.filePath(QStringLiteral("corpus")));
    bool ok
        = corpus.mkpath(QStringLiteral("savedfile")) && corpus.mkpath(QStringLiteral("scrambler"));
    ok = ok
        && put(corpus.filePath(QStringLiteral("savedfile/valid-1975-05-05")),
               encodeSavedReading(1975, QStringLiteral("May"), 5));
    ok = ok
        && put(corpus.filePath(QStringLiteral("savedfile/valid-2016-12-31")),
               encodeSavedReading(2016, QStringLiteral("December"), 31));
    // The same reading with lone LF line ends and without the last line end.
    QByteArray lf = encodeSavedReading(1900, QStringLiteral("September"), 1);
    lf.replace("\r\n", "\n");
    lf.chop(1);
    ok = ok && put(corpus.filePath(QStringLiteral("savedfile/valid-lf-unterminated")), lf);
    ok = ok
        && put(corpus.filePath(QStringLiteral("scrambler/scrambled-may")),
               ScrambleText(QStringLiteral("May")).toLatin1());

    QByteArray dict = "# Scrambled words of a saved reading; made by makeseeds.\n";
    QStringList words = monthNames();
    for (int n = 0; n <= 9; ++n)
        words << QString::number(n);
    words << QStringLiteral("19") << QStringLiteral("20") << QStringLiteral("31");
    for (const QString &word : words) {
        dict += "\"";
        for (const char c : ScrambleText(word).toLatin1())
            dict += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        dict += "\"\n";
    }
    dict += "\"\\x0d\\x0a\"\n";
    ok = ok && put(fuzz.filePath(QStringLiteral("savedfile.dict")), dict);
    return ok ? 0 : 1;
}
