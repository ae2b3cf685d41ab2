// Several copies of the program against one real lock file: a copy killed
// outright must not keep the next one out, and of copies started at the same
// moment exactly one runs. Where the lock lives does not depend on the
// environment.

#include "support/files.h"

#include "app/startup.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {
constexpr int WaitMs = 20000; // generous: two copies share two cores with the build

// One copy of the program, run by startrunner.
class Copy
{
public:
    explicit Copy(const QProcessEnvironment &env)
    {
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~Copy()
    {
        // Whatever went wrong, leave nothing running.
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // lock: where the copy takes its lock; empty for the program's own place.
    void start(bool waitForGo, const QString &lock)
    {
        QStringList args {QStringLiteral("60000"), QStringLiteral("--until-input-ends")};
        if (waitForGo)
            args << QStringLiteral("--wait-for-go");
        if (!lock.isEmpty())
            args << QStringLiteral("--lock") << lock;
        m_process.start(QStringLiteral(STARTRUNNER), args);
    }

    QStringList lines()
    {
        m_output += m_process.readAllStandardOutput();
        return QString::fromUtf8(m_output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    bool said(const QString &line) { return lines().contains(line); }
    bool finished() const { return m_process.state() == QProcess::NotRunning; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
};

// Lets the copies run until done() holds or the time is up.
template<typename Done>
bool waitUntil(Done done, int ms = WaitMs)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}
} // namespace

class TestStartFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void killedCopyDoesNotBlockTheNext();
    void manyAtOnceExactlyOneRuns_data();
    void manyAtOnceExactlyOneRuns();
    void environmentDoesNotSplitTheLock_data();
    void environmentDoesNotSplitTheLock();
    void realProgramStartsUnderFaults_data();
    void realProgramStartsUnderFaults();

private:
    // A copy started and then killed outright, leaving its lock behind.
    void leaveLockOfKilledCopy();
    // Ends a running copy as a user would.
    void endCleanly(Copy &copy);
    // Skips when a copy of the program really runs: its lock is the user's.
    void needOwnLockFree();

    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QString m_lock;
};

void TestStartFaults::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("startrunner ends with its standard input through QSocketNotifier, which on Windows "
          "watches sockets only");
#endif
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(QStringLiteral(STARTRUNNER)).isExecutable());
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // Most copies here lock a file of this test's own, away from the user's.
    m_lock = QDir(runtime).filePath(QStringLiteral("orra.lock"));

    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
}

void TestStartFaults::init()
{
    QFile::remove(m_lock);
}

void TestStartFaults::leaveLockOfKilledCopy()
{
    Copy gone(m_env);
    gone.start(false, m_lock);
    QVERIFY2(waitUntil([&] { return gone.said(QStringLiteral("started")) || gone.finished(); }),
             "the first copy did not start");
    QVERIFY(gone.said(QStringLiteral("started")));
    QVERIFY(QFile::exists(m_lock));
    gone.process().kill(); // SIGKILL: no chance to tidy up
    QVERIFY(gone.finished() || gone.process().waitForFinished(WaitMs));
    QCOMPARE(gone.process().exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(m_lock));
}

void TestStartFaults::needOwnLockFree()
{
    SingleInstance probe;
    if (!probe.acquire())
        QSKIP("a copy of the program is running and holds the user's lock");
}

void TestStartFaults::endCleanly(Copy &copy)
{
    copy.process().closeWriteChannel();
    QVERIFY2(copy.finished() || copy.process().waitForFinished(WaitMs),
             "the running copy did not end");
    QCOMPARE(copy.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy.process().exitCode(), 0);
    QVERIFY(copy.said(QStringLiteral("ended")));
}

void TestStartFaults::killedCopyDoesNotBlockTheNext()
{
    leaveLockOfKilledCopy();
    if (QTest::currentTestFailed())
        return;

    Copy next(m_env);
    next.start(false, m_lock);
    QVERIFY2(waitUntil([&] { return next.said(QStringLiteral("started")) || next.finished(); }),
             "the next copy neither started nor ended");
    QVERIFY2(next.said(QStringLiteral("started")), qPrintable(next.lines().join(QLatin1Char('|'))));
    QVERIFY(!next.said(QStringLiteral("Application is already running")));
    endCleanly(next);
}

void TestStartFaults::manyAtOnceExactlyOneRuns_data()
{
    QTest::addColumn<bool>("killedCopysLock");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("started");
    QTest::newRow("two, no lock before") << false << 10 << 2;
    QTest::newRow("two, lock of a killed copy") << true << 3 << 2;
    QTest::newRow("twenty, lock of a killed copy") << true << 1 << 20;
}

void TestStartFaults::manyAtOnceExactlyOneRuns()
{
    QFETCH(bool, killedCopysLock);
    QFETCH(int, rounds);
    QFETCH(int, started);
    for (int round = 0; round < rounds; ++round) {
        if (killedCopysLock) {
            leaveLockOfKilledCopy();
            if (QTest::currentTestFailed())
                return;
        }
        std::vector<std::unique_ptr<Copy>> copies;
        for (int i = 0; i < started; ++i) {
            copies.push_back(std::make_unique<Copy>(m_env));
            copies.back()->start(true, m_lock);
        }
        QVERIFY2(waitUntil([&] {
                     return std::all_of(copies.begin(), copies.end(),
                                        [](auto &c) { return c->said(QStringLiteral("ready")); });
                 }),
                 "the copies did not get ready");
        // Both are past their own set-up; let them race for the lock.
        for (auto &copy : copies)
            copy->process().write("go\n");
        for (auto &copy : copies)
            copy->process().waitForBytesWritten(WaitMs);

        // Each either starts (and stays) or refuses (and ends).
        auto settled = [](Copy &c) { return c.said(QStringLiteral("started")) || c.finished(); };
        QVERIFY2(waitUntil([&] {
                     return std::all_of(copies.begin(), copies.end(),
                                        [&](auto &c) { return settled(*c); });
                 }),
                 qPrintable(QStringLiteral("round %1: a copy hangs").arg(round)));

        Copy *winner = nullptr;
        for (auto &copy : copies) {
            if (!copy->said(QStringLiteral("started")))
                continue;
            QVERIFY2(!winner, qPrintable(QStringLiteral("round %1: two copies run").arg(round)));
            winner = copy.get();
        }
        QVERIFY2(winner, qPrintable(QStringLiteral("round %1: no copy runs").arg(round)));
        for (auto &loser : copies) {
            if (loser.get() == winner)
                continue;
            QVERIFY2(loser->finished() || loser->process().waitForFinished(WaitMs),
                     "a refused copy did not end");
            QCOMPARE(loser->process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(loser->process().exitCode(), 0);
            QCOMPARE(loser->lines(),
                     (QStringList {QStringLiteral("ready"),
                                   QStringLiteral("Application is already running"),
                                   QStringLiteral("ended")}));
        }
        QVERIFY(!winner->said(QStringLiteral("Application is already running")));
        QVERIFY(!SingleInstance(m_lock).acquire()); // the winner holds it
        endCleanly(*winner);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestStartFaults::environmentDoesNotSplitTheLock_data()
{
    // The second copy's environment differs from the first's in one way.
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value"); // empty: unset
    QTest::addColumn<bool>("refused");
    QTest::newRow("another USER") << "USER"
                                  << "someone-else" << true;
    QTest::newRow("no XDG_RUNTIME_DIR") << "XDG_RUNTIME_DIR"
                                        << "" << true;
    QTest::newRow("another XDG_RUNTIME_DIR") << "XDG_RUNTIME_DIR"
                                             << "/tmp" << true;
    QTest::newRow("another TMPDIR") << "TMPDIR"
                                    << "/var/tmp" << true;
#ifdef NOFLOCK
    // Where the file system cannot lock, nobody is refused.
    QTest::newRow("a folder that cannot lock") << "LD_PRELOAD" << NOFLOCK << false;
#endif
}

void TestStartFaults::environmentDoesNotSplitTheLock()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QFETCH(bool, refused);
    needOwnLockFree();
    Copy first(m_env);
    first.start(false, QString());
    QVERIFY2(waitUntil([&] { return first.said(QStringLiteral("started")) || first.finished(); }),
             "the first copy did not start");
    QVERIFY(first.said(QStringLiteral("started")));

    QProcessEnvironment other = m_env;
    if (value.isEmpty())
        other.remove(variable);
    else
        other.insert(variable, value);
    // A library preloaded ahead of ASan's runtime would keep a sanitized build from starting.
    if (variable == QLatin1String("LD_PRELOAD"))
        other.insert(QStringLiteral("ASAN_OPTIONS"),
                     other.value(QStringLiteral("ASAN_OPTIONS"))
                         + QStringLiteral(":verify_asan_link_order=0"));
    Copy second(other);
    second.start(false, QString());
    QVERIFY2(waitUntil([&] { return second.said(QStringLiteral("started")) || second.finished(); }),
             "the second copy neither started nor ended");
    const QStringList said = refused
        ? QStringList {QStringLiteral("Application is already running"), QStringLiteral("ended")}
        : QStringList {QStringLiteral("started")};
    QCOMPARE(second.lines(), said);
    if (!refused)
        endCleanly(second);
    endCleanly(first);
}

void TestStartFaults::realProgramStartsUnderFaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("file-size limit") << "file-size limit";
    // What a start killed under that limit used to leave behind.
    QTest::newRow("empty lock") << "empty lock";
    QTest::newRow("garbage lock") << "garbage lock";
}

void TestStartFaults::realProgramStartsUnderFaults()
{
#ifndef Q_OS_UNIX
    QSKIP("file-size limits and their signal are Unix ones");
#else
    QFETCH(QString, kind);
    if (!QFileInfo(QStringLiteral(ORRA_PLUGIN_DIR "/generic")).isDir())
        QSKIP("the first-paint plugin is not built");
    needOwnLockFree();
    const QString lock = SingleInstance::defaultLockPath();
    if (kind == "empty lock")
        QVERIFY(TestFiles::put(lock, QByteArray()));
    else if (kind == "garbage lock")
        QVERIFY(TestFiles::put(lock, QByteArray("garbage\n")));

    QTemporaryDir home;
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(ORRA_PLUGIN_DIR));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("orrafirstpaint"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const bool limited = kind == "file-size limit";
    program.setChildProcessModifier([limited] {
        // The signal as a user's shell leaves it; the program must see to it itself.
        std::signal(SIGXFSZ, SIG_DFL);
        if (limited) {
            rlimit none {0, 0};
            ::setrlimit(RLIMIT_FSIZE, &none);
        }
    });
    program.start(QStringLiteral(ORRA_PROGRAM), {});
    const bool ended = program.waitForFinished(WaitMs);
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    const QString said = QString::fromUtf8(program.readAllStandardOutput());
    QFile::remove(lock); // the plugin ended it at once: nothing holds it now
    QVERIFY2(ended, "the program did not get to a window");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit); // not ended by SIGXFSZ
    QVERIFY2(said.startsWith(QStringLiteral("painted frmMain frmMain\n")), qPrintable(said));
#endif
}

QTEST_GUILESS_MAIN(TestStartFaults)
#include "tst_startfaults.moc"
