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
    QApplication app(argc, argv);
    setUpApplication();

    SingleInstance instance;
    if (!startProgram(instance))
        return 0;
    return QApplication::exec();
}
