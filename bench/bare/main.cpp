#include "bare/barewindow.h"

#include <QApplication>

// Its first paint is reported by the benchmark's plugin, as for our program.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow *window = makeBareWindow();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return QApplication::exec();
}
