#include "support/fakeplatform.h"

#include "report/scrambler.h"
#include "web/reminder.h"

#include <QTest>

class TestReminder : public QObject
{
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
    void datesReadBackAsTheSameDate_data();
    void datesReadBackAsTheSameDate();
    void twoDigitYearsTakeTheNearestCentury();
    void formatChangedBetweenWriteAndRead();
    void run_data();
    void run();
    void everyLocaleKeepsTheDate_data();
    void everyLocaleKeepsTheDate();
    void brokenStoreIsQuiet_data();
    void brokenStoreIsQuiet();
    void askedOnceNotTheNextDay();
};

static const QDate Today(2026, 12, 8);

void TestReminder::decision_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<bool>("store");
    const QLocale c = QLocale::c();
    auto daysAway = [&](int days) { return formatReminderDate(Today.addDays(days), c); };
    QTest::newRow("first start") << QString() << false << true;
    QTest::newRow("today") << daysAway(0) << false << false;
    QTest::newRow("14 days ago") << daysAway(-14) << false << false;
    QTest::newRow("15 days ago") << daysAway(-15) << true << true;
    QTest::newRow("14 days ahead") << daysAway(14) << false << false;
    QTest::newRow("15 days ahead") << daysAway(15) << true << true;
    QTest::newRow("years ago") << daysAway(-3000) << true << true;
    QTest::newRow("garbage") << "not a date" << false << false;
    QTest::newRow("half a date") << "12/" << false << false;
}

void TestReminder::decision()
{
    QFETCH(QString, stored);
    QFETCH(bool, ask);
    QFETCH(bool, store);
    const ReminderDecision d = decideReminder(stored, Today, QLocale::c());
    QCOMPARE(d.ask, ask);
    QCOMPARE(d.storeToday, store);
}

void TestReminder::datesReadBackAsTheSameDate_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name : {"C", "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "nl_NL", "ru_RU"})
        QTest::newRow(name) << name;
}

void TestReminder::datesReadBackAsTheSameDate()
{
    QFETCH(QString, locale);
    const QLocale loc(locale);
    QVERIFY(reminderDateFormat(loc).contains(QLatin1String("yyyy")));
    for (const QDate date : {Today, QDate(2000, 2, 29), QDate(2031, 1, 5), QDate(1999, 12, 31)}) {
        const QString written = formatReminderDate(date, loc);
        QVERIFY2(written.contains(QString::number(date.year())), qPrintable(written));
        const std::optional<QDate> read = parseReminderDate(written, loc, Today);
        QVERIFY2(read, qPrintable(written));
        QCOMPARE(*read, date);
    }
}

void TestReminder::twoDigitYearsTakeTheNearestCentury()
{
    const QLocale us(QStringLiteral("en_US"));
    // What the plain short format writes reads back in this century, not as 1926.
    const QString plain = us.toString(Today, us.dateFormat(QLocale::ShortFormat));
    QCOMPARE(parseReminderDate(plain, us, Today), std::optional<QDate>(Today));
    QCOMPARE(parseReminderDate(QStringLiteral("12/31/99"), us, Today),
             std::optional<QDate>(QDate(1999, 12, 31)));
    QCOMPARE(parseReminderDate(QStringLiteral("1/5/30"), us, Today),
             std::optional<QDate>(QDate(2030, 1, 5)));
    const QLocale de(QStringLiteral("de_DE"));
    QCOMPARE(parseReminderDate(QStringLiteral("24.11.26"), de, Today),
             std::optional<QDate>(QDate(2026, 11, 24)));
}

void TestReminder::formatChangedBetweenWriteAndRead()
{
    const QLocale us(QStringLiteral("en_US"));
    const QLocale gb(QStringLiteral("en_GB"));
    const QLocale de(QStringLiteral("de_DE"));
    // Written day-first, read month-first: another date, counted as such.
    const QString gbText = formatReminderDate(QDate(2026, 3, 4), gb); // 04/03/2026
    QCOMPARE(parseReminderDate(gbText, us, Today), std::optional<QDate>(QDate(2026, 4, 3)));
    // Written with slashes, read by dots: no date, so no question and nothing written.
    const QString usText = formatReminderDate(QDate(2026, 3, 4), us);
    QVERIFY(!parseReminderDate(usText, de, Today));
    const ReminderDecision d = decideReminder(usText, Today, de);
    QVERIFY(!d.ask && !d.storeToday);
    // A day-first date that is not a month-first date at all.
    QVERIFY(!parseReminderDate(formatReminderDate(QDate(2026, 3, 25), gb), us, Today));
}

void TestReminder::run_data()
{
    QTest::addColumn<QString>("stored"); // unscrambled; "-" for none
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("rewritten");
    const QLocale loc;
    QTest::newRow("first start") << "-" << int(QMessageBox::No) << false << false << true;
    QTest::newRow("14 days") << formatReminderDate(Today.addDays(-14), loc) << int(QMessageBox::Yes)
                             << false << false << false;
    QTest::newRow("15 days, No") << formatReminderDate(Today.addDays(-15), loc)
                                 << int(QMessageBox::No) << true << false << true;
    QTest::newRow("15 days, Yes") << formatReminderDate(Today.addDays(-15), loc)
                                  << int(QMessageBox::Yes) << true << true << true;
    QTest::newRow("future, Yes") << formatReminderDate(Today.addDays(40), loc)
                                 << int(QMessageBox::Yes) << true << true << true;
    QTest::newRow("garbage") << "rubbish" << int(QMessageBox::Yes) << false << false << false;
}

void TestReminder::run()
{
    QFETCH(QString, stored);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, opened);
    QFETCH(bool, rewritten);

    FakePlatform fake;
    fake.todayDate = Today;
    fake.answer = QMessageBox::StandardButton(answer);
    const QString key = QStringLiteral("Settings/") + ScrambleText(QStringLiteral("Duration"));
    if (stored != QLatin1String("-"))
        fake.settings.insert(key, ScrambleText(stored));
    // The new date is stored before the page is asked for.
    bool storedBeforeOpening = true;
    fake.onUrl = [&] {
        storedBeforeOpening
            = UnscrambleText(fake.settings.value(key)) == formatReminderDate(Today, QLocale());
    };
    RunUpdateReminder();

    QCOMPARE(fake.messages.size(), asked ? 1 : 0);
    if (asked) {
        const auto &m = fake.messages[0];
        QCOMPARE(m.text,
                 QStringLiteral("There maybe an update to this software available\rDo you want to "
                                "check for an update?"));
        QCOMPARE(m.icon, QMessageBox::Information);
        QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(m.defaultButton, QMessageBox::Yes);
    }
    QCOMPARE(fake.urls.size(), opened ? 1 : 0);
    if (opened)
        QVERIFY(fake.urls[0].endsWith(QStringLiteral("?page=download-web-page")));
    const QString now = fake.settings.value(key);
    if (rewritten)
        QCOMPARE(UnscrambleText(now), formatReminderDate(Today, QLocale()));
    else
        QCOMPARE(UnscrambleText(now), stored == QLatin1String("-") ? QString() : stored);
    QCOMPARE(fake.settingWrites, rewritten ? 1 : 0);
    QVERIFY(storedBeforeOpening);
}

void TestReminder::everyLocaleKeepsTheDate_data()
{
    QTest::addColumn<QLocale>("locale");
    for (const QLocale &loc :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
        QTest::newRow(qPrintable(loc.name() + QLatin1Char(' ') + loc.bcp47Name())) << loc;
}

void TestReminder::everyLocaleKeepsTheDate()
{
    // The date goes through the scrambler and back, as through the store.
    QFETCH(QLocale, locale);
    auto stored = [&](QDate date) {
        return UnscrambleText(ScrambleText(formatReminderDate(date, locale)));
    };
    QCOMPARE(parseReminderDate(stored(Today), locale, Today), std::optional<QDate>(Today));
    const ReminderDecision quiet = decideReminder(stored(Today), Today, locale);
    QVERIFY(!quiet.ask && !quiet.storeToday);
    const ReminderDecision due = decideReminder(stored(Today.addDays(-15)), Today, locale);
    QVERIFY(due.ask && due.storeToday);
    // Day and month that could be swapped, and the form written where the
    // locale's own does not survive: both read back as the same day.
    const QDate early(2026, 3, 4);
    QCOMPARE(parseReminderDate(stored(early), locale, Today), std::optional<QDate>(early));
    QCOMPARE(parseReminderDate(QStringLiteral("2026-03-04"), locale, Today),
             std::optional<QDate>(early));
}

namespace {
// Reads as usual, but every write is refused.
class WriteRefusingPlatform : public FakePlatform
{
public:
    bool writeSetting(const QString &, const QString &, const QString &) override
    {
        ++settingWrites;
        return false;
    }
};
} // namespace

void TestReminder::brokenStoreIsQuiet_data()
{
    QTest::addColumn<bool>("readable");
    QTest::newRow("store cannot be read") << false;
    QTest::newRow("store refuses the write") << true;
}

void TestReminder::brokenStoreIsQuiet()
{
    QFETCH(bool, readable);
    WriteRefusingPlatform fake;
    fake.settingsBroken = !readable;
    fake.todayDate = Today;
    fake.answer = QMessageBox::Yes;
    fake.settings.insert(QStringLiteral("Settings/") + ScrambleText(QStringLiteral("Duration")),
                         ScrambleText(formatReminderDate(Today.addDays(-30), QLocale())));
    RunUpdateReminder();
    // The question may come; a failed save ends the reminder before the page.
    QCOMPARE(fake.messages.size(), readable ? 1 : 0);
    QVERIFY(fake.urls.isEmpty());
    QCOMPARE(fake.settingWrites, readable ? 1 : 0);
}

void TestReminder::askedOnceNotTheNextDay()
{
    FakePlatform fake;
    fake.todayDate = Today.addDays(-15);
    RunUpdateReminder(); // first start
    fake.todayDate = Today;
    fake.answer = QMessageBox::No;
    RunUpdateReminder();
    QCOMPARE(fake.messages.size(), 1);
    fake.todayDate = Today.addDays(1);
    RunUpdateReminder();
    QCOMPARE(fake.messages.size(), 1);
    fake.todayDate = Today.addDays(15);
    RunUpdateReminder();
    QCOMPARE(fake.messages.size(), 2);
}

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
