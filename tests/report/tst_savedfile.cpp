#include "support/fakeplatform.h"
#include "support/windows.h"

#include "app/datecheck.h"
#include "report/frmsave.h"
#include "report/savedfile.h"
#include "report/scrambler.h"
#include "signs/determination.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace TestWindows;

class TestSavedFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void scrambler();
    void exactBytes();
    void everyAcceptedDateRoundTrips();
    void decodeRefuses_data();
    void decodeRefuses();
    void openRefusesBadFiles_data();
    void openRefusesBadFiles();
    void openCancelledDoesNothing();
    void openRefusedByDateCheckStaysOnMain();
    void saveAndReopenThroughTheWindows();
    void saveCancelledWritesNothing();
    void saveReplacesExistingFile();
    void saveFailureTellsAndKeepsOldFile();
};

void TestSavedFile::scrambler()
{
    QVERIFY(ScrambleShift >= 1 && ScrambleShift <= 133);
    QCOMPARE(ScrambleText(QString()), QString());
    QCOMPARE(UnscrambleText(QString()), QString());
    const QString plain = QStringLiteral("0123456789 AZaz September 2016/12-7.");
    QCOMPARE(UnscrambleText(ScrambleText(plain)), plain);
    QCOMPARE(ScrambleText(QStringLiteral("A")), QString(QChar(65 + ScrambleShift)));
    // Characters pushed out of 0..255 are dropped; their neighbours keep their order.
    const QString high = QStringLiteral("a") + QChar(0xFF) + QStringLiteral("b");
    QCOMPARE(ScrambleText(high), ScrambleText(QStringLiteral("ab")));
    const QString low = QStringLiteral("x") + QChar(ScrambleShift - 1) + QStringLiteral("y");
    QCOMPARE(UnscrambleText(low), UnscrambleText(QStringLiteral("xy")));
    QCOMPARE(UnscrambleText(QString(QChar(ScrambleShift))), QString(QChar(0)));
}

void TestSavedFile::exactBytes()
{
    const QByteArray bytes = encodeSavedReading(1975, QStringLiteral("May"), 5);
    QCOMPARE(bytes.size(), 14);
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0].size(), 5);
    QCOMPARE(lines[1].size(), 4);
    QCOMPARE(lines[2].size(), 2);
    QVERIFY(lines[3].isEmpty());
    for (int i = 0; i < 3; ++i)
        QVERIFY(lines[i].endsWith('\r'));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(int(quint8(bytes[i])), int("1975"[i]) + ScrambleShift);
    const std::optional<SavedReading> read = decodeSavedReading(bytes);
    QVERIFY(read);
    QCOMPARE(read->year, QStringLiteral("1975"));
    QCOMPARE(read->month, QStringLiteral("May"));
    QCOMPARE(read->day, QStringLiteral("5"));
    // The main window's first date, as packaging/windows/test-installed.sh
    // expects the installed Windows program to save it.
    QCOMPARE(encodeSavedReading(1900, QStringLiteral("January"), 1),
             QByteArray(":B99\r\nSjw~j{\x82\r\n:\r\n"));
}

void TestSavedFile::everyAcceptedDateRoundTrips()
{
    int dates = 0;
    for (int year = 1900; year <= 2016; ++year) {
        for (int month = 0; month < 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                if (!checkBirthDate(QStringLiteral("x"), QString::number(year), month, day - 1)
                         .accepted)
                    continue;
                ++dates;
                const QString name = monthNames().at(month);
                const std::optional<SavedReading> read
                    = decodeSavedReading(encodeSavedReading(year, name, day));
                QVERIFY(read);
                QCOMPARE(read->year.toInt(), year);
                QCOMPARE(read->month, name);
                QCOMPARE(read->day.toInt(), day);
                QCOMPARE(determineSign(read->month, read->day.toInt(), QString()),
                         determineSign(name, day, QString()));
            }
        }
    }
    QCOMPARE(dates, int(QDate(1900, 1, 1).daysTo(QDate(2017, 1, 1))));
}

static QByteArray scrambledLines(const QStringList &lines, const QByteArray &end = "\r\n")
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += ScrambleText(line).toLatin1() + end;
    return bytes;
}

void TestSavedFile::decodeRefuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("valid") << scrambledLines({"1975", "May", "5"}) << true;
    QTest::newRow("LF endings") << scrambledLines({"1975", "May", "5"}, "\n") << true;
    QTest::newRow("no final break")
        << scrambledLines({"1975", "May"}) + ScrambleText("5").toLatin1() << true;
    QTest::newRow("extra lines ignored") << scrambledLines({"1975", "May", "5", "junk"}) << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("two lines") << scrambledLines({"1975", "May"}) << false;
    QTest::newRow("plain text") << QByteArray("1975\r\nMay\r\n5\r\n") << false;
    QTest::newRow("year 1899") << scrambledLines({"1899", "May", "5"}) << false;
    QTest::newRow("year 2017") << scrambledLines({"2017", "May", "5"}) << false;
    QTest::newRow("year with blank") << scrambledLines({" 1975", "May", "5"}) << false;
    QTest::newRow("month lower case") << scrambledLines({"1975", "may", "5"}) << false;
    QTest::newRow("day 0") << scrambledLines({"1975", "May", "0"}) << false;
    QTest::newRow("day 32") << scrambledLines({"1975", "May", "32"}) << false;
    QTest::newRow("day 05") << scrambledLines({"1975", "May", "05"}) << false;
    QTest::newRow("day +5") << scrambledLines({"1975", "May", "+5"}) << false;
    QTest::newRow("binary") << QByteArray("\x00\xff\x10\r\n\x01\x02\r\n\x7f\r\n", 12) << false;
}

void TestSavedFile::decodeRefuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    QCOMPARE(decodeSavedReading(bytes).has_value(), accepted);
}

void TestSavedFile::openRefusesBadFiles_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"NAA extension", "txt extension", "directory", "dangling link",
                             "missing", "empty", "two lines", "huge", "binary", "unknown month"})
        QTest::newRow(kind) << kind;
}

void TestSavedFile::openRefusesBadFiles()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QByteArray good = encodeSavedReading(1975, QStringLiteral("May"), 5);
    QString path = dir.filePath(QStringLiteral("reading.naa"));
    auto write = [](const QString &p, const QByteArray &bytes) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    if (kind == "NAA extension") {
        path = dir.filePath(QStringLiteral("reading.NAA"));
        write(path, good);
    } else if (kind == "txt extension") {
        path = dir.filePath(QStringLiteral("reading.txt"));
        write(path, good);
    } else if (kind == "directory") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("reading.naa")));
    } else if (kind == "dangling link") {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.naa")), path));
    } else if (kind == "empty") {
        write(path, QByteArray());
    } else if (kind == "two lines") {
        write(path, good.left(10));
    } else if (kind == "huge") {
        write(path, good);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(qint64(100) * 1024 * 1024)); // sparse: cheap to make
    } else if (kind == "binary") {
        QByteArray noise(3000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 37) & 0xFF);
        write(path, noise);
    } else if (kind == "unknown month") {
        write(path, scrambledLines({"1975", "Mai", "5"}));
    }

    FakePlatform fake;
    const QString problem = refusedOpen(fake, path);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSavedFile::openCancelledDoesNothing()
{
    FakePlatform fake; // the dialog answers with no path
    frmMain *main = Navigation::showMain();
    main->cmdOpen_Click();
    QCOMPARE(fake.dialogs,
             QStringList {"Select the source file|Native American Astrology (*.naa)"});
    QVERIFY(fake.messages.isEmpty());
    QCOMPARE(Navigation::mainWindow(), main);
    QVERIFY(child<QLineEdit>(main, "txtName")->text().isEmpty());
}

void TestSavedFile::openRefusedByDateCheckStaysOnMain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("april.naa"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(encodeSavedReading(1975, QStringLiteral("April"), 31));
    f.close();

    FakePlatform fake;
    fake.openPath = path;
    frmMain *main = Navigation::showMain();
    main->cmdOpen_Click();
    settle();
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("Please Enter Correct Date Or Month !"));
    QCOMPARE(Navigation::mainWindow(), main);
    QCOMPARE(child<QLineEdit>(main, "txtName")->text(), QStringLiteral("pseudo"));
    QCOMPARE(child<QComboBox>(main, "cboMonth")->currentText(), QStringLiteral("April"));
    QCOMPARE(child<QComboBox>(main, "cboDate")->currentText(), QStringLiteral("31"));
}

void TestSavedFile::saveAndReopenThroughTheWindows()
{
    QTemporaryDir dir;
    const struct
    {
        const char *month;
        int day;
        int year;
    } dates[] = {{"May", 5, 1975},
                 {"February", 29, 2000},
                 {"December", 31, 2016},
                 {"January", 1, 1900},
                 {"November", 23, 1960}};
    for (const auto &date : dates) {
        FakePlatform fake;
        const QString path
            = dir.filePath(QStringLiteral("%1-%2.naa").arg(date.month).arg(date.day));
        frmAmericanAstrologyResult *reading
            = readingFor(QLatin1String(date.month), date.day, date.year);
        const QString sign = labelText(reading, "lblAmericanSign");
        {
            frmSave report(reading);
            report.show();
            fake.savePath = path;
            child<QAbstractButton>(&report, "cmdSave")->click();
            QVERIFY(report.isVisible()); // stays open
        }
        QCOMPARE(fake.dialogs.last(),
                 QStringLiteral("Orra Native American Astrology|Rich Text Format (*.naa)|naa"));
        QVERIFY(fake.messages.isEmpty()); // no confirmation
        reset();

        fake.openPath = path;
        Navigation::showMain()->cmdOpen_Click();
        settle();
        QVERIFY(readingWindow());
        QCOMPARE(labelText(readingWindow(), "lblAmericanSign"), sign);
        QCOMPARE(appState().BirthYear, qint16(date.year));
        QCOMPARE(appState().BirthMonth, QLatin1String(date.month));
        QCOMPARE(appState().BirthDay, qint16(date.day));
        reset();
    }
}

void TestSavedFile::saveCancelledWritesNothing()
{
    QTemporaryDir dir;
    FakePlatform fake; // the dialog answers with no path
    frmSave report(readingFor(QStringLiteral("May"), 5));
    child<QAbstractButton>(&report, "cmdSave")->click();
    QCOMPARE(fake.dialogs.size(), 1);
    QVERIFY(fake.messages.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestSavedFile::saveReplacesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.naa"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(500, 'x'));
    old.close();

    FakePlatform fake;
    fake.savePath = path;
    frmSave report(readingFor(QStringLiteral("May"), 5, 1975));
    child<QAbstractButton>(&report, "cmdSave")->click();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), encodeSavedReading(1975, QStringLiteral("May"), 5));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"old.naa"}); // no leftovers
}

void TestSavedFile::saveFailureTellsAndKeepsOldFile()
{
    QTemporaryDir dir;
    // The chosen name is a folder: nothing can replace it.
    const QString path = dir.filePath(QStringLiteral("folder.naa"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.naa")));
    QFile inside(path + QStringLiteral("/keep.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("kept");
    inside.close();

    FakePlatform fake;
    fake.savePath = path;
    frmSave report(readingFor(QStringLiteral("May"), 5));
    child<QAbstractButton>(&report, "cmdSave")->click();
    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages[0].text.startsWith(QStringLiteral("The reading was not saved.\n")));
    QVERIFY(fake.messages[0].text.size() > 28); // with the reason
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(path).entryList(QDir::Files), QStringList {"keep.txt"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());

    // A folder that does not exist.
    fake.savePath = dir.filePath(QStringLiteral("no/such/folder/r.naa"));
    child<QAbstractButton>(&report, "cmdSave")->click();
    QCOMPARE(fake.messages.size(), 2);
}

QTEST_MAIN(TestSavedFile)
#include "tst_savedfile.moc"
