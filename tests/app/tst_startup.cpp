#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/windows.h"

#include "app/startup.h"
#include "report/scrambler.h"
#include "web/reminder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    void whatLiesAtTheLocksPlace_data();
    void whatLiesAtTheLocksPlace();
    void lockPlaceIgnoresTheEnvironment_data();
    void lockPlaceIgnoresTheEnvironment();
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
    SingleInstance first(lock); // flock and share modes hold against this process too
    QVERIFY(first.acquire());

    SingleInstance second(lock);
    FakePlatform fake;
    QVERIFY(!startProgram(second));
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("Application is already running"));
    QCOMPARE(fake.messages[0].icon, QMessageBox::Information);
    QCOMPARE(fake.messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(fake.seeds, 0);
    QCOMPARE(fake.settingWrites, 0);
    QVERIFY(!Navigation::mainWindow());
}

void TestStartup::whatLiesAtTheLocksPlace_data()
{
    // Each start runs without a word; holds: whether it then keeps a later one out.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("holds");
    QTest::newRow("nothing yet") << "nothing" << true;
    QTest::newRow("an earlier version's lock naming a live process") << "old text" << true;
    QTest::newRow("given back by a copy that ended") << "ended" << true;
    QTest::newRow("a folder in the way") << "folder" << false;
    QTest::newRow("folder missing") << "no folder" << false;
#ifdef Q_OS_UNIX
    QTest::newRow("still open in a program the last copy started") << "child" << true;
    QTest::newRow("FIFO") << "FIFO" << false;
    QTest::newRow("link to a file") << "link" << false;
    QTest::newRow("another user's file") << "other user" << false;
#endif
}

void TestStartup::whatLiesAtTheLocksPlace()
{
    QFETCH(QString, kind);
    QFETCH(bool, holds);
    QTemporaryDir dir;
    QString lock = dir.filePath(QStringLiteral("lock"));
    QProcess child;
    if (kind == "old text") {
        QVERIFY(TestFiles::put(lock, "1\nOrraFreeNativeAmericanAstrology\nelsewhere\n"));
    } else if (kind == "ended" || kind == "child") {
        SingleInstance last(lock);
        QVERIFY(last.acquire());
        if (kind == "child") {
            child.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(child.waitForStarted());
        }
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(lock));
    } else if (kind == "no folder") {
        lock = dir.filePath(QStringLiteral("gone/lock"));
    }
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(lock);
    if (kind == "FIFO") {
        QVERIFY(::mkfifo(native.constData(), 0600) == 0);
    } else if (kind == "link") {
        QVERIFY(TestFiles::put(dir.filePath(QStringLiteral("file")), {}));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("file")), lock));
    } else if (kind == "other user") {
        QVERIFY(TestFiles::put(lock, {}));
        if (::chown(native.constData(), 65534, 65534) != 0)
            QSKIP("only root can give a file to another user");
    }
#endif

    SingleInstance instance(lock);
    FakePlatform fake;
    QVERIFY(startProgram(instance));
    QVERIFY(fake.messages.isEmpty());
    QVERIFY(Navigation::mainWindow());
    SingleInstance later(lock);
    QCOMPARE(!later.acquire(), holds);
    if (kind == "folder")
        QVERIFY(QFileInfo(lock).isDir()); // left alone
#ifdef Q_OS_UNIX
    struct stat st = {};
    // Sticky: runtime-folder cleaners leave it, or a second copy would run.
    QVERIFY(!holds || (::stat(native.constData(), &st) == 0 && (st.st_mode & S_ISVTX)));
#endif
    child.kill();
    child.waitForFinished();
}

void TestStartup::lockPlaceIgnoresTheEnvironment_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value"); // empty: unset
    for (const char *name :
         {"USER", "USERNAME", "LOGNAME", "XDG_RUNTIME_DIR", "TMPDIR", "TMP", "HOME"}) {
        QTest::addRow("%s other", name) << QByteArray(name) << QByteArray("/tmp/someone-else");
        QTest::addRow("%s unset", name) << QByteArray(name) << QByteArray();
    }
}

void TestStartup::lockPlaceIgnoresTheEnvironment()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    const QString usual = SingleInstance::defaultLockPath();
    const QByteArray before = qgetenv(variable.constData());
    const bool wasSet = qEnvironmentVariableIsSet(variable.constData());
    if (value.isEmpty())
        qunsetenv(variable.constData());
    else
        qputenv(variable.constData(), value);
    const QString now = SingleInstance::defaultLockPath();
    if (wasSet)
        qputenv(variable.constData(), before);
    else
        qunsetenv(variable.constData());
    QCOMPARE(now, usual);
#ifdef Q_OS_UNIX
    QVERIFY2(usual.endsWith(QStringLiteral("-%1.lock").arg(::getuid())), qPrintable(usual));
    // A folder only the user can write: no one else can put anything in the lock's place.
    const QFileInfo folder(QFileInfo(usual).path());
    QVERIFY2(folder.isDir() && folder.ownerId() == ::getuid()
                 && !(folder.permissions() & (QFile::WriteGroup | QFile::WriteOther)),
             qPrintable(folder.filePath()));
#endif
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
