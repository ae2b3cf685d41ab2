#include "app/commandline.h"
#include "app/frmmain.h"
#include "app/startup.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
// For the start-up benchmark (bench/): prints the steady clock once the main
// window has first been painted, then ends at once.
class FirstPaintExit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<frmMain *>(watched)) {
            // A zero timer fires once the rest of the window has painted too.
            QTimer::singleShot(0, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("painted-at-ns %lld\n",
                            static_cast<long long>(std::chrono::nanoseconds(now).count()));
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }
};
} // namespace

int main(int argc, char *argv[])
{
    // --help, --version and mistakes are answered before a display is opened.
    const CommandLine command = parseCommandLine(commandLineArguments(argc, argv));
    if (command.outcome != CommandLine::Run) {
        std::fputs(qPrintable(command.text),
                   command.outcome == CommandLine::Mistake ? stderr : stdout);
        return command.exitStatus();
    }

    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("ORRA_BENCH_EXIT_ON_PAINT"))
        app.installEventFilter(new FirstPaintExit(&app));
    setUpApplication();

    SingleInstance instance;
    if (!startProgram(instance))
        return 0;
    openGivenReading(command.file);
    return QApplication::exec();
}
