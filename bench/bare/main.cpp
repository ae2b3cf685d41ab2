#include "bare/barewindow.h"
#include "probe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace {
// With ORRA_BENCH_EXIT_ON_PAINT set, reports the moment the window has first
// been painted and the peak memory so far, then ends.
class FirstPaintExit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<QMainWindow *>(watched)) {
            // A zero timer fires once the rest of the window has painted too.
            QTimer::singleShot(0, [] {
                const long long paintedAt = BenchProbe::steadyNanoseconds();
                std::printf("vmhwm-kib %lld\n", BenchProbe::peakResidentKiB());
                BenchProbe::reportAndExit("painted-at-ns", paintedAt);
            });
        }
        return false;
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("ORRA_BENCH_EXIT_ON_PAINT"))
        app.installEventFilter(new FirstPaintExit(&app));
    QMainWindow *window = makeBareWindow();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return QApplication::exec();
}
