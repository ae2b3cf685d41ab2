// Feeds arbitrary bytes to the saved-reading decoder, directly and through a
// file on disk. Whatever the bytes, the reader must not crash, and what it
// accepts must be a date the main window can list and must survive being
// written again.
#include "report/savedfile.h"
#include "signs/determination.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
QTemporaryDir *scratch = nullptr;
QString filePath;

void fail(const char *what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

bool sameReading(const std::optional<SavedReading> &a, const std::optional<SavedReading> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || (a->year == b->year && a->month == b->month && a->day == b->day);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    // A new file each time: truncating the old one in place makes some file
    // systems flush it to disk.
    QFile::remove(path);
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!f)
        return false;
    const bool ok
        = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
    return std::fclose(f) == 0 && ok;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Memory-backed when there is such a folder: the file is rewritten for every input.
    const QString base
        = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    scratch = new QTemporaryDir(base + QStringLiteral("/orra-fuzz-XXXXXX"));
    if (!scratch->isValid())
        fail("no scratch folder");
    filePath = scratch->filePath(QStringLiteral("reading.naa"));
    // QTemporaryDir is not destroyed at exit on purpose: libFuzzer may end the
    // process from a signal handler. Remove the folder on a normal exit.
    std::atexit([] { delete scratch; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<SavedReading> decoded = decodeSavedReading(bytes);

    if (decoded) {
        bool yearOk = false, dayOk = false;
        const int year = decoded->year.toInt(&yearOk);
        const int day = decoded->day.toInt(&dayOk);
        if (!yearOk || year < 1900 || year > 2016)
            fail("accepted a year the main window does not list");
        if (!dayOk || day < 1 || day > 31)
            fail("accepted a day the main window does not list");
        if (!monthNames().contains(decoded->month))
            fail("accepted a month the main window does not list");
        if (!sameReading(decodeSavedReading(encodeSavedReading(year, decoded->month, day)),
                         decoded))
            fail("an accepted reading does not survive being written again");
    }

    // The same bytes read from a file: identical outcome up to the size limit,
    // nothing at all beyond it.
    if (!writeBytes(filePath, bytes))
        fail("cannot write the scratch file");
    const std::optional<SavedReading> fromFile = readSavedReadingFile(filePath);
    const std::optional<SavedReading> expected
        = qint64(size) <= SavedReadingMaxBytes ? decoded : std::nullopt;
    if (!sameReading(fromFile, expected))
        fail("the file reader and the decoder disagree");
    return 0;
}
