#include "app/commandline.h"
#include "app/frmmain.h"
#include "app/startup.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Over a file-size limit a write is to fail with an error the program
    // reports, not end the process with the signal.
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    // --help, --version and mistakes are answered before a display is opened.
    const CommandLine command = parseCommandLine(commandLineArguments(argc, argv));
    if (command.outcome != CommandLine::Run) {
        printAnswer(command);
        return command.exitStatus();
    }

    QApplication app(argc, argv);
    setUpApplication();

    SingleInstance instance;
    if (!startProgram(instance))
        return 0;
    openGivenReading(command.file);
    return QApplication::exec();
}
