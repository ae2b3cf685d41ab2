#include "reminder.h"

#include "platform/platform.h"
#include "report/scrambler.h"
#include "web/links.h"

#include <QRegularExpression>

#include <functional>

namespace {
const QString Group = QStringLiteral("Settings");
const QString Question = QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?");
constexpr qint64 QuietDays = 14;

// Applies fn to the parts of a date format outside quoted literals.
QString mapUnquoted(const QString &format, const std::function<QString(const QString &)> &fn)
{
    QString out;
    QString run;
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'') {
            out += quoted ? run : fn(run);
            run.clear();
            out += ch;
            quoted = !quoted;
        } else {
            run += ch;
        }
    }
    out += quoted ? run : fn(run);
    return out;
}

QString widenYear(const QString &plain)
{
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return QString(plain).replace(twoDigitYear, QStringLiteral("yyyy"));
}
} // namespace

QString reminderDateFormat(const QLocale &locale)
{
    return mapUnquoted(locale.dateFormat(QLocale::ShortFormat), widenYear);
}

QString formatReminderDate(QDate date, const QLocale &locale)
{
    return locale.toString(date, reminderDateFormat(locale));
}

std::optional<QDate> parseReminderDate(const QString &text, const QLocale &locale, QDate today)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QDate date = locale.toDate(trimmed, reminderDateFormat(locale));
    if (date.isValid())
        return date;

    // Written with a two-digit year (by an older copy or another format):
    // Qt reads it as 19xx; move it to the century nearest to today.
    date = locale.toDate(trimmed, locale.dateFormat(QLocale::ShortFormat));
    if (!date.isValid())
        return std::nullopt;
    const int yy = date.year() % 100;
    QDate best;
    for (int century = today.year() / 100 - 1; century <= today.year() / 100 + 1; ++century) {
        const QDate candidate(century * 100 + yy, date.month(), date.day());
        if (candidate.isValid()
            && (!best.isValid() || qAbs(candidate.daysTo(today)) < qAbs(best.daysTo(today))))
            best = candidate;
    }
    return best.isValid() ? std::optional<QDate>(best) : std::nullopt;
}

ReminderDecision decideReminder(const QString &stored, QDate today, const QLocale &locale)
{
    if (stored.isEmpty())
        return {false, true}; // first start: note the day, ask nothing
    const std::optional<QDate> last = parseReminderDate(stored, locale, today);
    if (!last)
        return {false, false}; // not a date: leave it as it is
    if (qAbs(last->daysTo(today)) <= QuietDays)
        return {false, false};
    return {true, true};
}

void RunUpdateReminder()
{
    Platform &outside = platform();
    const QString key = ScrambleText(QStringLiteral("Duration"));
    const std::optional<QString> stored = outside.readSetting(Group, key);
    if (!stored)
        return; // the store cannot be read: say nothing, change nothing
    const QDate today = outside.today();
    const QLocale locale;
    const ReminderDecision decision = decideReminder(UnscrambleText(*stored), today, locale);
    QMessageBox::StandardButton answer = QMessageBox::No;
    if (decision.ask)
        answer = outside.message(nullptr, QMessageBox::Information, Question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (decision.storeToday)
        outside.writeSetting(Group, key, ScrambleText(formatReminderDate(today, locale)));
    if (answer == QMessageBox::Yes)
        OpenDownloadWebPage();
}
