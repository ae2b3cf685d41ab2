// Starts the program the way main() does, with the real single-instance lock
// and the real settings store, but answers every message box on standard
// output instead of showing it. Tests run several copies side by side.
//
//   startrunner [run-ms] [--wait-for-go] [--until-input-ends] [--lock PATH]
//
// run-ms          ends the event loop after this long; 0 or absent: run until killed
// --wait-for-go   prints "ready" and waits for a line "go" on standard input
//                 before starting, so several copies can start at one moment
// --until-input-ends  ends cleanly once standard input is closed
// --lock PATH     takes the single-instance lock at PATH instead of the
//                 program's own place
//
// Prints each message box text on a line of its own, "started" when start-up
// went on, and "ended" before leaving.

#include "app/startup.h"
#include "platform/appinfo.h"
#include "platform/platform.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {
void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// The real store, clock and random sequence; no dialogs, browser or printer.
class PrintingPlatform : public QtPlatform
{
public:
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton) override
    {
        say(text);
        return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No;
    }
    QString openFileName(QWidget *, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    bool openUrl(const QUrl &url) override
    {
        say(QStringLiteral("browser: ") + url.toString());
        return false;
    }
    std::unique_ptr<QPrinter> defaultPrinter() override { return nullptr; }
};

// Reads one line from standard input without stdio buffering, so that the
// later end-of-input is still seen by the event loop.
QByteArray readLine()
{
    QByteArray line;
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::ExecutableName);
    QApplication::setQuitOnLastWindowClosed(false);

    int runMs = 0;
    bool waitForGo = false;
    bool untilInputEnds = false;
    QString lockPath = SingleInstance::defaultLockPath();
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--lock" && i + 1 < argc)
            lockPath = QFile::decodeName(argv[++i]);
        else if (arg == "--wait-for-go")
            waitForGo = true;
        else if (arg == "--until-input-ends")
            untilInputEnds = true;
        else
            runMs = arg.toInt();
    }

    PrintingPlatform outside;
    setPlatform(&outside);

    if (waitForGo) {
        say(QStringLiteral("ready"));
        if (readLine() != "go")
            return 2;
    }

    SingleInstance instance(lockPath);
    if (!startProgram(instance)) {
        say(QStringLiteral("ended"));
        return 0;
    }
    say(QStringLiteral("started"));

    if (runMs > 0)
        QTimer::singleShot(runMs, &app, &QCoreApplication::quit);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(untilInputEnds);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    const int code = QApplication::exec();
    say(QStringLiteral("ended"));
    return code;
}
