#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

// The stored date is written in the user's short-date format with the year
// widened to four digits, so that it reads back as the same date. Where that
// text would not survive the 8-bit scrambler (native digits, direction marks),
// it is written as yyyy-MM-dd instead, which every locale reads back.
QString reminderDateFormat(const QLocale &locale);
QString formatReminderDate(QDate date, const QLocale &locale);

// Reads a stored date by the locale's rules at the time of reading. A
// two-digit year is taken in the century nearest to today.
std::optional<QDate> parseReminderDate(const QString &text, const QLocale &locale, QDate today);

struct ReminderDecision
{
    bool ask = false; // ask whether to look for an update
    bool storeToday = false; // replace the stored date by today's
};

// stored is the unscrambled stored text (empty when there is none).
ReminderDecision decideReminder(const QString &stored, QDate today, const QLocale &locale);

// Once per run at start-up: asks about an update when the last reminder is
// more than fourteen days away from today.
void RunUpdateReminder();
