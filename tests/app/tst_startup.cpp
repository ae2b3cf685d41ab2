#include "support/fakeplatform.h"
#include "support/windows.h"

#include "app/startup.h"
#include "report/scrambler.h"
#include "web/reminder.h"

#include <QFile>

#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace TestWindows;

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void firstStartShowsMainWindowAndDraws();
    void reminderQuestionComesBeforeMainWindow();
    void secondCopyIsRefused();
    void lockOfADeadCopyDoesNotBlock();
};

void TestStartup::firstStartShowsMainWindowAndDraws()
{
    QTemporaryDir dir;
    SingleInstance instance(dir.filePath(QStringLiteral("lock")));
    FakePlatform fake;
    fake.randoms = {0.5f}; // 4: full-brand
    QVERIFY(startProgram(instance));
    QCOMPARE(fake.seeds, 1);
    QVERIFY(fake.messages.isEmpty());
    QCOMPARE(fake.settings.size(), 1); // the first start notes the day
    QVERIFY(Navigation::mainWindow() && Navigation::mainWindow()->isVisible());
    QCOMPARE(appState().intCoBrandRandomNumber, qint16(4));
    QVERIFY(fake.randoms.isEmpty());
}

void TestStartup::reminderQuestionComesBeforeMainWindow()
{
    QTemporaryDir dir;
    SingleInstance instance(dir.filePath(QStringLiteral("lock")));
    FakePlatform fake;
    fake.settings.insert(QStringLiteral("Settings/") + ScrambleText(QStringLiteral("Duration")),
                         ScrambleText(formatReminderDate(fake.todayDate.addDays(-30), QLocale())));
    fake.answer = QMessageBox::Yes;
    bool mainShownAtQuestion = true;
    int seedsAtQuestion = -1;
    fake.onMessage = [&] {
        mainShownAtQuestion = Navigation::mainWindow() != nullptr;
        seedsAtQuestion = fake.seeds;
    };
    fake.randoms = {0.0f};
    QVERIFY(startProgram(instance));
    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(!mainShownAtQuestion);
    QCOMPARE(seedsAtQuestion, 1);
    QCOMPARE(fake.urls.size(), 1);
    QVERIFY(Navigation::mainWindow());
    QCOMPARE(appState().intCoBrandRandomNumber, qint16(1));
}

void TestStartup::secondCopyIsRefused()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("lock"));
    SingleInstance first(lock);
    QVERIFY(first.acquire());

    SingleInstance second(lock);
    FakePlatform fake;
    QVERIFY(!startProgram(second));
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("Application is already running"));
    QCOMPARE(fake.messages[0].icon, QMessageBox::Information);
    QCOMPARE(fake.messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(fake.ends, 1);
    QCOMPARE(fake.seeds, 0);
    QCOMPARE(fake.settingWrites, 0);
    QVERIFY(!Navigation::mainWindow());
}

void TestStartup::lockOfADeadCopyDoesNotBlock()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("lock"));
    // A copy that ended without removing its lock (killed, crashed).
    QProcess gone;
#ifdef Q_OS_WIN
    gone.start(QStringLiteral("cmd"), {QStringLiteral("/c"), QStringLiteral("exit")});
#else
    gone.start(QStringLiteral("true"), {});
#endif
    QVERIFY(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    QFile file(lock);
    QVERIFY(file.open(QIODevice::WriteOnly));
#ifdef Q_OS_WIN
    const QByteArray host = qgetenv("COMPUTERNAME"); // the host name QLockFile writes there
#else
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
#endif
    file.write(QByteArray::number(deadPid) + '\n' + QCoreApplication::applicationName().toUtf8()
               + '\n' + host + '\n');
    file.close();

    SingleInstance next(lock);
    QVERIFY(next.acquire());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
