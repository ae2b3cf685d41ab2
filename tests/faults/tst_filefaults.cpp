// Saving where the system refuses the write, and opening something that is
// a name on disk but not a file. These run as root in CI, where permission
// bits do not bite, so the faults are ones that stop root as well.

#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/windows.h"

#include "report/frmsave.h"
#include "report/savedfile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <functional>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace TestWindows;
using namespace TestFiles;

namespace {
#ifdef Q_OS_UNIX
struct ChildResult
{
    bool finished = false; // false: still running at the deadline, so killed
    int exitCode = -1;
    QByteArray output;
};

// Runs work in a forked copy of this process, so that resource limits and a
// hang stay there. work gets a descriptor to report on; its result is the
// exit code.
ChildResult runInChild(const std::function<int(int)> &work, int timeoutMs = 10000)
{
    ChildResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return result;
    const pid_t pid = ::fork();
    if (pid < 0)
        return result;
    if (pid == 0) {
        ::close(pipeFds[0]);
        const int code = work(pipeFds[1]);
        ::_exit(code); // no destructors or buffers of the parent's
    }
    ::close(pipeFds[1]);
    const QDeadlineTimer deadline(timeoutMs);
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 && !deadline.hasExpired())
        ::usleep(5000);
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    } else {
        result.finished = WIFEXITED(status);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, n);
    ::close(pipeFds[0]);
    return result;
}

void writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}
#endif

QStringList everything(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                  | QDir::NoDotAndDotDot);
}

const QByteArray OldFile = encodeSavedReading(1960, QStringLiteral("November"), 23);
const QByteArray NewFile = encodeSavedReading(1975, QStringLiteral("May"), 5);
} // namespace

class TestFileFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void diskRefusesTheWrite_data();
    void diskRefusesTheWrite();
    void folderNoOneMayWriteTo_data();
    void folderNoOneMayWriteTo();
    void openNotARegularFile_data();
    void openNotARegularFile();
};

void TestFileFaults::diskRefusesTheWrite_data()
{
    // The largest file the system lets the saving process write.
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("saved");
    QTest::newRow("no room at all") << qint64(0) << false;
    QTest::newRow("room for one byte") << qint64(1) << false;
    QTest::newRow("one byte short") << qint64(NewFile.size() - 1) << false;
    QTest::newRow("room enough") << qint64(1 << 20) << true; // the harness itself works
}

void TestFileFaults::diskRefusesTheWrite()
{
#ifndef Q_OS_UNIX
    QSKIP("needs fork() and a file-size limit (setrlimit), which Windows does not have");
#else
    QFETCH(qint64, limit);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reading.naa"));
    QVERIFY(put(path, OldFile));

    const ChildResult saver = runInChild([&](int report) {
        // Over the limit write() fails with EFBIG instead of the signal ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit size {};
        ::getrlimit(RLIMIT_FSIZE, &size);
        size.rlim_cur = rlim_t(limit);
        if (::setrlimit(RLIMIT_FSIZE, &size) != 0)
            return 3;
        QString error;
        const bool ok = writeSavedReadingFile(path, 1975, QStringLiteral("May"), 5, &error);
        writeAll(report, error.toUtf8());
        return ok ? 0 : 1;
    });
    QVERIFY2(saver.finished, "saving did not end");
    const QString error = QString::fromUtf8(saver.output);
    if (saved) {
        QCOMPARE(saver.exitCode, 0);
        QCOMPARE(contents(path), NewFile);
    } else {
        QCOMPARE(saver.exitCode, 1);
        QVERIFY(!error.isEmpty());
        // Says why, in the system's words (a write cut short leaves Qt without them).
        if (limit == 0)
            QVERIFY2(error.contains(qt_error_string(EFBIG)), qPrintable(error));
        QCOMPARE(contents(path), OldFile);
    }
    QCOMPARE(everything(dir.path()), QStringList {QStringLiteral("reading.naa")}); // no leftovers
#endif
}

void TestFileFaults::folderNoOneMayWriteTo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("parent is a plain file") << "parent is a plain file";
    QTest::newRow("new name under /proc") << "new name under /proc";
    QTest::newRow("existing file under /proc") << "existing file under /proc";
}

void TestFileFaults::folderNoOneMayWriteTo()
{
    QFETCH(QString, kind);
#ifndef Q_OS_UNIX
    if (kind.contains(QStringLiteral("/proc")))
        QSKIP("needs /proc, which Windows does not have");
#endif
    QTemporaryDir dir;
    const QString notes = dir.filePath(QStringLiteral("notes"));
    QVERIFY(put(notes, OldFile));
    QString path;
    QString kept; // a file that must come through unchanged
    if (kind == "parent is a plain file") {
        path = notes + QStringLiteral("/reading.naa"); // ENOTDIR
        kept = notes;
    } else if (kind == "new name under /proc") {
        path = QStringLiteral("/proc/self/reading.naa");
    } else {
        path = QStringLiteral("/proc/version");
        kept = path;
    }
    const QByteArray before = kept.isEmpty() ? QByteArray() : contents(kept);

    QString error;
    QVERIFY(!writeSavedReadingFile(path, 1975, QStringLiteral("May"), 5, &error));
    QVERIFY(!error.isEmpty());
    if (!kept.isEmpty())
        QCOMPARE(contents(kept), before);
    else
        QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(everything(dir.path()), QStringList {QStringLiteral("notes")});
    QVERIFY(QFileInfo(notes).isFile());

    // Through the report window: one message with the reason, the window stays.
    FakePlatform fake;
    fake.savePath = path;
    auto *report = new frmSave(readingFor(QStringLiteral("May"), 5, 1975));
    report->show();
    child<QAbstractButton>(report, "cmdSave")->click();
    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages[0].text.startsWith(QStringLiteral("The reading was not saved.\n")));
    QVERIFY(fake.messages[0].text.endsWith(error));
    QVERIFY(report->isVisible());
    delete report;
    if (!kept.isEmpty())
        QCOMPARE(contents(kept), before);
}

void TestFileFaults::openNotARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"FIFO", "socket", "link to a FIFO", "link to an endless device"})
        QTest::newRow(kind) << kind;
}

void TestFileFaults::openNotARegularFile()
{
    QFETCH(QString, kind);
#ifndef Q_OS_UNIX
    QSKIP("FIFOs, Unix sockets and fork() are Linux-only");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.naa"));
    const QByteArray native = QFile::encodeName(path);
    int socketFd = -1;
    if (kind == "FIFO") {
        QVERIFY(::mkfifo(native.constData(), 0600) == 0);
    } else if (kind == "socket") {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(socketFd >= 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(native.size()) < sizeof address.sun_path);
        qstrcpy(address.sun_path, native.constData());
        QVERIFY(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(socketFd, 1) == 0);
    } else if (kind == "link to a FIFO") {
        const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("pipe")), path));
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    }
    struct CloseSocket
    {
        int fd;
        ~CloseSocket()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } closeSocket {socketFd};

    // Reading a FIFO with no writer would wait for ever; a copy of this
    // process shows whether it returns at all.
    const ChildResult reader
        = runInChild([&](int) { return readSavedReadingFile(path) ? 1 : 0; }, 5000);
    QVERIFY2(reader.finished, "reading the file hangs");
    QCOMPARE(reader.exitCode, 0);

    // Safe to try here too now: the main window says so and keeps what was entered.
    FakePlatform fake;
    const QString problem = refusedOpen(fake, path);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
#endif
}

QTEST_MAIN(TestFileFaults)
#include "tst_filefaults.moc"
