// Several copies of the program against one real lock file: a copy killed
// outright must not keep the next one out, and of two copies started at the
// same moment exactly one runs.

#include "app/startup.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

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

    void start(bool waitForGo)
    {
        QStringList args {QStringLiteral("60000"), QStringLiteral("--until-input-ends")};
        if (waitForGo)
            args << QStringLiteral("--wait-for-go");
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
    void twoAtOnceExactlyOneRuns_data();
    void twoAtOnceExactlyOneRuns();

private:
    // A copy started and then killed outright, leaving its lock behind.
    void leaveLockOfKilledCopy();
    // Ends a running copy as a user would and checks it gave its lock back.
    void endCleanly(Copy &copy);

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
    // The copies and this test agree on where the lock lives.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    m_lock = SingleInstance::defaultLockPath();
#ifndef Q_OS_WIN
    QCOMPARE(QFileInfo(m_lock).absolutePath(), QFileInfo(runtime).absoluteFilePath());
#endif // Windows has no runtime folder to move: the copies use the user's own lock

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
    gone.start(false);
    QVERIFY2(waitUntil([&] { return gone.said(QStringLiteral("started")) || gone.finished(); }),
             "the first copy did not start");
    QVERIFY(gone.said(QStringLiteral("started")));
    QVERIFY(QFile::exists(m_lock));
    gone.process().kill(); // SIGKILL: no chance to tidy up
    QVERIFY(gone.finished() || gone.process().waitForFinished(WaitMs));
    QCOMPARE(gone.process().exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(m_lock));
}

void TestStartFaults::endCleanly(Copy &copy)
{
    copy.process().closeWriteChannel();
    QVERIFY2(copy.finished() || copy.process().waitForFinished(WaitMs),
             "the running copy did not end");
    QCOMPARE(copy.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy.process().exitCode(), 0);
    QVERIFY(copy.said(QStringLiteral("ended")));
    QVERIFY(!QFile::exists(m_lock));
}

void TestStartFaults::killedCopyDoesNotBlockTheNext()
{
    leaveLockOfKilledCopy();
    if (QTest::currentTestFailed())
        return;

    Copy next(m_env);
    next.start(false);
    QVERIFY2(waitUntil([&] { return next.said(QStringLiteral("started")) || next.finished(); }),
             "the next copy neither started nor ended");
    QVERIFY2(next.said(QStringLiteral("started")), qPrintable(next.lines().join(QLatin1Char('|'))));
    QVERIFY(!next.said(QStringLiteral("Application is already running")));
    endCleanly(next);
}

void TestStartFaults::twoAtOnceExactlyOneRuns_data()
{
    QTest::addColumn<bool>("staleLock");
    QTest::addColumn<int>("rounds");
    QTest::newRow("no lock before") << false << 10;
    QTest::newRow("lock of a killed copy") << true << 3;
}

void TestStartFaults::twoAtOnceExactlyOneRuns()
{
    QFETCH(bool, staleLock);
    QFETCH(int, rounds);
    for (int round = 0; round < rounds; ++round) {
        if (staleLock) {
            leaveLockOfKilledCopy();
            if (QTest::currentTestFailed())
                return;
        }
        std::vector<std::unique_ptr<Copy>> copies;
        for (int i = 0; i < 2; ++i) {
            copies.push_back(std::make_unique<Copy>(m_env));
            copies.back()->start(true);
        }
        QVERIFY2(waitUntil([&] {
                     return copies[0]->said(QStringLiteral("ready"))
                         && copies[1]->said(QStringLiteral("ready"));
                 }),
                 "the copies did not get ready");
        // Both are past their own set-up; let them race for the lock.
        for (auto &copy : copies)
            copy->process().write("go\n");
        for (auto &copy : copies)
            copy->process().waitForBytesWritten(WaitMs);

        // Each either starts (and stays) or refuses (and ends).
        auto settled = [](Copy &c) { return c.said(QStringLiteral("started")) || c.finished(); };
        QVERIFY2(waitUntil([&] { return settled(*copies[0]) && settled(*copies[1]); }),
                 qPrintable(QStringLiteral("round %1: a copy hangs").arg(round)));

        int running = 0;
        for (auto &copy : copies)
            running += copy->said(QStringLiteral("started")) ? 1 : 0;
        QVERIFY2(running == 1,
                 qPrintable(QStringLiteral("round %1: %2 copies run").arg(round).arg(running)));

        Copy &winner = copies[0]->said(QStringLiteral("started")) ? *copies[0] : *copies[1];
        Copy &loser = &winner == copies[0].get() ? *copies[1] : *copies[0];
        QVERIFY2(loser.finished() || loser.process().waitForFinished(WaitMs),
                 "the refused copy did not end");
        QCOMPARE(loser.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(loser.process().exitCode(), 0);
        QCOMPARE(
            loser.lines(),
            (QStringList {QStringLiteral("ready"), QStringLiteral("Application is already running"),
                          QStringLiteral("ended")}));
        QVERIFY(!winner.said(QStringLiteral("Application is already running")));
        QVERIFY(QFile::exists(m_lock)); // the refused copy left the winner's lock alone
        endCleanly(winner);
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_GUILESS_MAIN(TestStartFaults)
#include "tst_startfaults.moc"
