#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A saved reading holds the birth date only, as the main window lists it.
struct SavedReading
{
    QString year; // "1900" .. "2016"
    QString month; // "January" .. "December"
    QString day; // "1" .. "31"
};

// A saved file is never larger than this; anything bigger is not ours.
constexpr qint64 SavedReadingMaxBytes = 4096;

// The file's bytes: three scrambled lines, each ended by CR LF.
QByteArray encodeSavedReading(int year, const QString &month, int day);

// The date in the bytes, or nothing when they are not a saved reading of a
// date the main window can show.
std::optional<SavedReading> decodeSavedReading(const QByteArray &bytes);

// Reads and decodes the file at path; nothing when the name does not end in
// "naa", the file cannot be read, is too large or does not decode.
std::optional<SavedReading> readSavedReadingFile(const QString &path);

// Writes the file in one piece: either the whole new file is in place
// afterwards, or the old one is untouched. On failure, error says why.
bool writeSavedReadingFile(const QString &path, int year, const QString &month, int day,
                           QString *error);
