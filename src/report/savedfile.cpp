#include "savedfile.h"

#include "report/scrambler.h"
#include "signs/determination.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

QByteArray encodeSavedReading(int year, const QString &month, int day)
{
    QByteArray bytes;
    for (const QString &line : {QString::number(year), month, QString::number(day)}) {
        bytes += ScrambleText(line).toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

namespace {
bool isListedNumber(const QString &text, int first, int last)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    // Exactly as listed: decimal digits, no sign, no blanks, no leading zero.
    return ok && value >= first && value <= last && text == QString::number(value);
}
} // namespace

std::optional<SavedReading> decodeSavedReading(const QByteArray &bytes)
{
    // Lines end with CR LF as written; a lone LF or CR is accepted as well.
    QList<QByteArray> lines;
    QByteArray current;
    int ended = 0;
    for (qsizetype i = 0; i < bytes.size() && ended < 3; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            lines.append(current);
            current.clear();
            ++ended;
        } else {
            current += c;
        }
    }
    if (ended < 3 && !current.isEmpty())
        lines.append(current);
    if (lines.size() < 3)
        return std::nullopt;

    SavedReading reading {UnscrambleText(QString::fromLatin1(lines[0])),
                          UnscrambleText(QString::fromLatin1(lines[1])),
                          UnscrambleText(QString::fromLatin1(lines[2]))};
    if (!isListedNumber(reading.year, 1900, 2016) || !monthNames().contains(reading.month)
        || !isListedNumber(reading.day, 1, 31))
        return std::nullopt;
    return reading;
}

std::optional<SavedReading> readSavedReadingFile(const QString &path)
{
    if (!path.endsWith(QLatin1String("naa")))
        return std::nullopt;
    // Open first, then look at what was opened: the name may be swapped for
    // a FIFO or a device in between, and opening one blocking waits for ever.
    QFile file;
#ifdef Q_OS_UNIX
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > SavedReadingMaxBytes
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential()
        || file.size() > SavedReadingMaxBytes)
        return std::nullopt;
#endif
    // Read no more than a saved reading can hold, whatever the file claims.
    return decodeSavedReading(file.read(SavedReadingMaxBytes + 1).left(SavedReadingMaxBytes));
}

namespace {
#ifdef Q_OS_UNIX
// The system's reason in the user's words, where there are plain ones.
QString plainReason(int code)
{
    switch (code) {
    case EROFS:
        return QStringLiteral("The disk is read-only.");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("The disk is full.");
    case EFBIG:
        return QStringLiteral("The file would be larger than this system allows.");
    case EACCES:
    case EPERM:
        return QStringLiteral("You may not save files in this folder.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("The folder does not exist.");
    default:
        return {};
    }
}
#endif

// Why the file at path is not the user's to replace, or empty when it is
// (or is not there yet). Root could replace anything: the file's own
// permissions and owner still decide, since a saved reading is its owner's data.
QString refusalToReplace(const QString &path, int *mode)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    struct statvfs disk = {};
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::statvfs(folder.constData(), &disk) == 0 && (disk.f_flag & ST_RDONLY))
        return plainReason(EROFS);
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0)
        return {};
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("A folder of that name is in the way.");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("That name is not a file a reading can be saved in.");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("The file belongs to another user.");
    if (!(st.st_mode & S_IWUSR))
        return QStringLiteral("The file is read-only.");
    *mode = int(st.st_mode & 07777);
#else
    Q_UNUSED(mode);
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("A folder of that name is in the way.");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("The file is read-only.");
#endif
    return {};
}

// Says why a step failed: in plain words where the system's reason has
// them, else in the system's own.
bool failed(const QFileDevice &file, QString *error)
{
#ifdef Q_OS_UNIX
    const int code = errno;
#endif
    if (error) {
        *error = file.errorString();
#ifdef Q_OS_UNIX
        if (const QString plain = plainReason(code); !plain.isEmpty())
            *error = plain;
#endif
    }
    return false;
}
} // namespace

bool writeSavedReadingFile(const QString &path, int year, const QString &month, int day,
                           QString *error)
{
    int mode = -1;
    if (const QString refusal = refusalToReplace(path, &mode); !refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    QSaveFile file(path);
#ifdef Q_OS_UNIX
    errno = 0;
#endif
    if (!file.open(QIODevice::WriteOnly))
        return failed(file, error);
    const QByteArray bytes = encodeSavedReading(year, month, day);
    // Flush here: commit() overlooks a buffered write that fails (disk full,
    // file size limit) and would put a cut-short file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        failed(file, error);
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    // The new file keeps the permissions of the one it replaces.
    if (mode >= 0)
        ::fchmod(file.handle(), mode_t(mode));
#endif
    if (!file.commit())
        return failed(file, error);
    return true;
}
