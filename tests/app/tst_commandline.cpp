// The command line: what it asks for, how the program answers it, and a saved
// reading given on it opening as the open command would open it.

#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/windows.h"

#include "app/commandline.h"
#include "app/startup.h"
#include "report/savedfile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace TestWindows;

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { install(); }
    void init() { reset(); }
    void cleanup() { reset(); }

    void parse_data();
    void parse();
    void programAnswersWithoutADisplay_data();
    void programAnswersWithoutADisplay();
    void givenFileOpensAfterStartUp_data();
    void givenFileOpensAfterStartUp();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("file");
    const int run = CommandLine::Run, mistake = CommandLine::Mistake;
    QTest::newRow("nothing") << QStringList() << run << "";
    QTest::newRow("a file") << QStringList {"reading.naa"} << run << "reading.naa";
    QTest::newRow("any name") << QStringList {"notes.txt"} << run << "notes.txt"; // checked on open
    QTest::newRow("dash file after --") << QStringList {"--", "-x.naa"} << run << "-x.naa";
    QTest::newRow("Qt option and value")
        << QStringList {"-platform", "offscreen", "r.naa"} << run << "r.naa";
    QTest::newRow("Qt option with =") << QStringList {"-style=fusion", "r.naa"} << run << "r.naa";
    QTest::newRow("Qt flag") << QStringList {"r.naa", "-reverse"} << run << "r.naa";
    QTest::newRow("--help") << QStringList {"--help"} << int(CommandLine::Help) << "";
    QTest::newRow("-h") << QStringList {"-h", "r.naa"} << int(CommandLine::Help) << "";
    QTest::newRow("--version") << QStringList {"--version"} << int(CommandLine::Version) << "";
    QTest::newRow("-v") << QStringList {"-v"} << int(CommandLine::Version) << "";
    QTest::newRow("unknown long") << QStringList {"--open", "r.naa"} << mistake << "";
    QTest::newRow("unknown short") << QStringList {"-x"} << mistake << "";
    QTest::newRow("value missing") << QStringList {"-platform"} << mistake << "";
    QTest::newRow("two files") << QStringList {"a.naa", "b.naa"} << mistake << "";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, args);
    QFETCH(int, outcome);
    QFETCH(QString, file);
    const CommandLine command = parseCommandLine(QStringList {"/usr/bin/program"} + args);
    QCOMPARE(int(command.outcome), outcome);
    QCOMPARE(command.file, file);
    QCOMPARE(command.exitStatus(), outcome == CommandLine::Mistake ? 2 : 0);
    switch (command.outcome) {
    case CommandLine::Run:
        QVERIFY(command.text.isEmpty());
        break;
    case CommandLine::Help:
        QVERIFY(command.text.startsWith(
            QStringLiteral("Usage: OrraFreeNativeAmericanAstrology [options] [file]\n")));
        QVERIFY(!command.text.contains(QLatin1String("platform"))); // Qt's stay hidden
        break;
    case CommandLine::Version:
        QCOMPARE(command.text,
                 QStringLiteral("OrraFreeNativeAmericanAstrology " ORRA_VERSION "\n"));
        break;
    case CommandLine::Mistake:
        QVERIFY(command.text.startsWith(QStringLiteral("OrraFreeNativeAmericanAstrology: ")));
        QCOMPARE(command.text.count(QLatin1Char('\n')), 1);
        QVERIFY(command.text.endsWith(QLatin1Char('\n')));
        break;
    }
}

void TestCommandLine::programAnswersWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList {"--help"} << 0
                          << "Usage: OrraFreeNativeAmericanAstrology [options] [file]\n"
                          << "";
    QTest::newRow("version") << QStringList {"--version"} << 0 << "OrraFreeNativeAmericanAstrology "
                             << "";
    QTest::newRow("unknown option")
        << QStringList {"--bogus"} << 2 << ""
        << "OrraFreeNativeAmericanAstrology: Unknown option 'bogus'. Try --help.\n";
}

// The real program, with no display to open: had it tried to, Qt would have
// aborted it.
void TestCommandLine::programAnswersWithoutADisplay()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ORRA_PROGRAM), args);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    // Windows writes its console text with CR LF line ends.
    const auto text = [](const QByteArray &bytes) {
        return QString::fromLocal8Bit(bytes).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    };
    const QString stdOut = text(program.readAllStandardOutput());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QCOMPARE(text(program.readAllStandardError()), err);
}

void TestCommandLine::givenFileOpensAfterStartUp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown"); // sign on the reading window, or the message
    QTest::newRow("saved reading") << "reading.naa"
                                   << "Beaver";
    QTest::newRow("not a saved reading") << "reading.txt"
                                         << "Please Check The File.";
    QTest::newRow("missing") << "gone.naa"
                             << "Please Check The File.";
    QTest::newRow("none") << ""
                          << "";
}

// As main() does it: start-up first, then the file, through the open command's own path.
void TestCommandLine::givenFileOpensAfterStartUp()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QByteArray may5 = encodeSavedReading(1975, QStringLiteral("May"), 5);
    QVERIFY(TestFiles::put(dir.filePath(QStringLiteral("reading.naa")), may5));
    QVERIFY(TestFiles::put(dir.filePath(QStringLiteral("reading.txt")), may5));
    SingleInstance instance(dir.filePath(QStringLiteral("lock")));
    FakePlatform fake;
    fake.randoms = {0.5f};
    QVERIFY(startProgram(instance));
    frmMain *main = Navigation::mainWindow();
    QCOMPARE(fake.settings.size(), 1); // the reminder ran first

    openGivenReading(name.isEmpty() ? QString() : dir.filePath(name));
    settle();
    QVERIFY(fake.dialogs.isEmpty()); // no file dialog on the way
    if (shown.startsWith(QLatin1String("Please"))) {
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.messages[0].text, shown);
        QCOMPARE(fake.messages[0].icon, QMessageBox::Critical);
        QCOMPARE(fake.messages[0].parent, main);
        QCOMPARE(Navigation::mainWindow(), main);
        QVERIFY(!readingWindow());
    } else if (!shown.isEmpty()) {
        QVERIFY(fake.messages.isEmpty());
        QVERIFY(!Navigation::mainWindow());
        QCOMPARE(labelText(readingWindow(), "lblAmericanSign"), shown);
    } else {
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(Navigation::mainWindow(), main);
        QVERIFY(child<QLineEdit>(main, "txtName")->text().isEmpty());
    }
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
