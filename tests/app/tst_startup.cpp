#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/windows.h"

#include "app/startup.h"
#include "report/scrambler.h"
#include "web/reminder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
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
    void lockOfADeadCopyDoesNotBlock();
    void whatTheLockSays_data();
    void whatTheLockSays();
    void lockPlaceIgnoresTheEnvironment_data();
    void lockPlaceIgnoresTheEnvironment();
};

namespace {
// What QLockFile writes after the process id: executable's name, machine.
QByteArray afterPid(const QString &host = QSysInfo::machineHostName())
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + '\n'
        + host.toUtf8() + '\n';
}

QByteArray lockText(qint64 pid, const QString &host = QSysInfo::machineHostName())
{
    return QByteArray::number(pid) + '\n' + afterPid(host);
}

#ifdef Q_OS_UNIX
// Another process holding a lock as a running copy does: it makes the file,
// locks it (stallMs later) and writes its pid with the rest of text after it;
// then it goes on as this executable, or as another program (runAs).
class LiveCopy
{
public:
    explicit LiveCopy(const QString &lock, const QByteArray &text = {}, int stallMs = 0,
                      const char *runAs = nullptr)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        const QByteArray path = QFile::encodeName(lock);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(path.constData(), O_RDWR | O_CREAT, 0600);
            if (stallMs > 0) // the parent goes on while this one stalls
                [[maybe_unused]]
                const ssize_t n = ::write(ready[1], "x", 1);
            ::usleep(useconds_t(stallMs) * 1000);
            ::flock(fd, LOCK_EX);
            if (!text.isEmpty()) {
                const QByteArray line = QByteArray::number(qint64(::getpid())) + '\n';
                [[maybe_unused]] const ssize_t a = ::write(fd, line.constData(), line.size());
                [[maybe_unused]] const ssize_t b = ::write(fd, text.constData(), text.size());
            }
            if (stallMs == 0) [[maybe_unused]]
                const ssize_t n = ::write(ready[1], "x", 1);
            if (runAs)
                ::execlp(runAs, runAs, "1000", static_cast<char *>(nullptr));
            for (;;)
                ::pause();
        }
        char c = 0;
        if (m_pid > 0) [[maybe_unused]]
            const ssize_t n = ::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LiveCopy()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    qint64 pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};
#endif

// A lock left a minute ago, as one of a copy that was killed is.
bool leftAMinuteAgo(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                            QFileDevice::FileModificationTime);
}
} // namespace

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
#ifndef Q_OS_UNIX
    QSKIP("needs fork() for a second live process of this executable");
#else
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("lock"));
    LiveCopy first(lock, afterPid());
    QVERIFY(first.pid() > 0);

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
#endif
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
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    file.write(QByteArray::number(deadPid) + '\n' + QCoreApplication::applicationName().toUtf8()
               + '\n' + host + '\n');
    file.close();

    SingleInstance next(lock);
    QVERIFY(next.acquire());
}

void TestStartup::whatTheLockSays_data()
{
    // What lies at the lock's place; whether this copy may run; whether it
    // then holds the lock itself.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<bool>("holds");
    QTest::newRow("a live copy of this program") << "live copy" << false << false;
    QTest::newRow("that copy, the host renamed since") << "host renamed" << false << false;
    QTest::newRow("that copy, its executable replaced") << "replaced" << false << false;
    QTest::newRow("empty, a live copy still writing it") << "being written" << false << false;
    QTest::newRow("made, a live copy stalled before locking it") << "stalled" << false << false;
    QTest::newRow("another machine's, nobody holds it") << "other machine" << true << true;
    QTest::newRow("this very process (pids restart)") << "own pid" << true << true;
    QTest::newRow("another program that runs") << "other program" << true << true;
    QTest::newRow("a process that has ended") << "ended" << true << true;
    QTest::newRow("empty (killed while writing it)") << "empty" << true << true;
    QTest::newRow("empty, just made, nobody locks it") << "just made" << true << true;
    QTest::newRow("garbage") << "garbage" << true << true;
    QTest::newRow("a folder in the way") << "folder" << true << false;
    QTest::newRow("folder missing") << "no folder" << true << false;
    QTest::newRow("parent is a file") << "parent is a file" << true << false;
}

void TestStartup::whatTheLockSays()
{
    QFETCH(QString, kind);
    QFETCH(bool, runs);
    QFETCH(bool, holds);
    QTemporaryDir dir;
    QString lock = dir.filePath(QStringLiteral("lock"));
#ifdef Q_OS_UNIX
    std::unique_ptr<LiveCopy> copy;
    if (kind == "live copy")
        copy = std::make_unique<LiveCopy>(lock, afterPid());
    else if (kind == "host renamed")
        copy = std::make_unique<LiveCopy>(lock, afterPid(QStringLiteral("before.example")));
    else if (kind == "replaced")
        copy = std::make_unique<LiveCopy>(lock, afterPid(), 0, "sleep");
    else if (kind == "being written")
        copy = std::make_unique<LiveCopy>(lock);
    else if (kind == "stalled")
        copy = std::make_unique<LiveCopy>(lock, afterPid(), 300);
    QVERIFY(!copy || copy->pid() > 0);
#else
    if (!runs)
        QSKIP("needs fork() for a second live process holding the lock");
#endif
    QByteArray text;
    if (kind == "other machine")
        text = lockText(999999999, QStringLiteral("elsewhere.example"));
    else if (kind == "own pid")
        text = lockText(QCoreApplication::applicationPid());
    else if (kind == "other program")
        text = lockText(1); // the system's first process
    else if (kind == "ended")
        text = lockText(999999999);
    else if (kind == "garbage")
        text = QByteArray("\x01\xff garbage\n\n\n\n");
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(lock));
    } else if (kind == "no folder") {
        lock = dir.filePath(QStringLiteral("gone/lock"));
    } else if (kind == "parent is a file") {
        QVERIFY(TestFiles::put(dir.filePath(QStringLiteral("file")), "x"));
        lock = dir.filePath(QStringLiteral("file/lock"));
    } else if (runs) {
        QVERIFY(TestFiles::put(lock, text));
        if (kind != "just made")
            QVERIFY(leftAMinuteAgo(lock));
    }

    SingleInstance instance(lock);
    QCOMPARE(instance.acquire(), runs);
    qint64 pid = 0;
    QString host, app;
    const bool named = QLockFile(lock).getLockInfo(&pid, &host, &app);
    QCOMPARE(named && pid == QCoreApplication::applicationPid(), holds);
    if (kind == "folder")
        QVERIFY(QFileInfo(lock).isDir()); // left alone
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
