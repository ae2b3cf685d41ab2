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

namespace {
// The stored text goes through the 8-bit scrambler: native digits, direction
// marks and letters beyond it would come back as '?' and no longer be a date.
bool survivesStore(const QString &text)
{
    return UnscrambleText(ScrambleText(text)) == text;
}

std::optional<QDate> parseIsoDate(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!iso.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}
} // namespace

QString formatReminderDate(QDate date, const QLocale &locale)
{
    const QString text = locale.toString(date, reminderDateFormat(locale));
    if (survivesStore(text) && locale.toDate(text, reminderDateFormat(locale)) == date)
        return text;
    // Where the user's format would not survive the store, a form that does.
    return date.toString(Qt::ISODate);
}

std::optional<QDate> parseReminderDate(const QString &text, const QLocale &locale, QDate today)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QDate date = locale.toDate(trimmed, reminderDateFormat(locale));
    if (date.isValid())
        return date;
    // What formatReminderDate writes where the locale's own form would not survive.
    if (const std::optional<QDate> iso = parseIsoDate(trimmed))
        return iso;

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
    // A store that refuses the write ends the reminder there, page or not.
    if (decision.storeToday
        && !outside.writeSetting(Group, key, ScrambleText(formatReminderDate(today, locale))))
        return;
    if (answer == QMessageBox::Yes)
        OpenDownloadWebPage();
}
