#include "savedfile.h"

#include "report/scrambler.h"
#include "signs/determination.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > SavedReadingMaxBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read no more than a saved reading can hold, whatever the file claims.
    return decodeSavedReading(file.read(SavedReadingMaxBytes + 1).left(SavedReadingMaxBytes));
}

bool writeSavedReadingFile(const QString &path, int year, const QString &month, int day,
                           QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = encodeSavedReading(year, month, day);
    // Flush here: commit() overlooks a buffered write that fails (disk full,
    // file size limit) and would put a cut-short file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
