// The reminder's stored date comes from the per-user settings store, which
// anyone can edit. Input: two bytes pick "today" (1950 .. 2129), the rest is
// the stored text in UTF-8. Every input is read in each of a few locales.
#include "report/scrambler.h"
#include "web/reminder.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void fail(const char *what, const QLocale &locale, QDate today, const QString &text)
{
    std::fprintf(stderr, "property broken in %s, today %s, text \"%s\": %s\n",
                 qPrintable(locale.name()), qPrintable(today.toString(Qt::ISODate)),
                 qPrintable(text), what);
    std::abort();
}

const std::array<QLocale, 4> &locales()
{
    static const std::array<QLocale, 4> list {QLocale::c(), QLocale(QStringLiteral("en_US")),
                                              QLocale(QStringLiteral("en_GB")),
                                              QLocale(QStringLiteral("de_DE"))};
    return list;
}

void check(const QString &text, QDate today, const QLocale &locale)
{
    const std::optional<QDate> parsed = parseReminderDate(text, locale, today);
    if (parsed && !parsed->isValid())
        fail("parse yielded an invalid date", locale, today, text);

    const ReminderDecision decision = decideReminder(text, today, locale);
    if (decision.ask && !decision.storeToday)
        fail("asks but would not store today", locale, today, text);
    if (text.isEmpty()) {
        if (decision.ask || !decision.storeToday)
            fail("first start must only note the day", locale, today, text);
    } else if (!parsed) {
        if (decision.ask || decision.storeToday)
            fail("acted on a stored text that is not a date", locale, today, text);
    } else {
        const bool due = qAbs(parsed->daysTo(today)) > 14;
        if (decision.ask != due || decision.storeToday != due)
            fail("decision does not follow the fourteen days", locale, today, text);
    }

    // A date that was read must be written back as the same date.
    if (parsed) {
        const QString again = formatReminderDate(*parsed, locale);
        if (parseReminderDate(again, locale, today) != parsed)
            fail("a date read from the store does not read back after writing", locale, today,
                 text);
    }

    // The stored text is scrambled in the store; unscrambling junk must be harmless too.
    (void)decideReminder(UnscrambleText(text), today, locale);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int offset = size >= 2 ? (data[0] << 8 | data[1]) : 20000;
    const QDate today = QDate(1950, 1, 1).addDays(offset);
    const QString text = size >= 2
        ? QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2))
        : QString();

    for (const QLocale &locale : locales()) {
        // What the program writes today must read back as today, and ask nothing.
        const QString written = formatReminderDate(today, locale);
        if (parseReminderDate(written, locale, today) != today)
            fail("today's date does not read back", locale, today, written);
        const ReminderDecision fresh = decideReminder(written, today, locale);
        if (fresh.ask || fresh.storeToday)
            fail("a date written today is acted on", locale, today, written);

        check(text, today, locale);
    }
    return 0;
}
