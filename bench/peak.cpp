// Started by orra_bench: runs the program's own start-up, opens a reading and
// its report, and reports the peak resident memory with the report on screen.

#include "paintwatch.h"
#include "probe.h"
#include "support/openwindow.h"

#include "app/frmmain.h"
#include "app/navigation.h"
#include "app/startup.h"
#include "reading/frmamericanastrologyresult.h"
#include "report/frmsave.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

namespace {
void fail(const char *why)
{
    std::fprintf(stderr, "orra_bench_peak: %s\n", why);
    std::fflush(stderr);
    std::_Exit(1);
}
} // namespace

int main(int argc, char *argv[])
{
    // The same start as the program's main().
    QApplication app(argc, argv);
    PaintWatch watch;
    setUpApplication();
    SingleInstance instance;
    if (!startProgram(instance))
        fail("the program did not start (is another copy holding the lock?)");

    frmMain *main = Navigation::mainWindow();
    if (!watch.waitFor(main))
        fail("the main window was not painted");
    main->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(QStringLiteral("Ann"));
    main->findChild<QComboBox *>(QStringLiteral("cboMonth"))->setCurrentText(QStringLiteral("May"));
    main->findChild<QComboBox *>(QStringLiteral("cboDate"))->setCurrentText(QStringLiteral("5"));
    main->findChild<QComboBox *>(QStringLiteral("cboYear"))->setCurrentText(QStringLiteral("1975"));
    main->cmdCalculate_Click();

    frmAmericanAstrologyResult *reading = openWindow<frmAmericanAstrologyResult>();
    if (!watch.waitFor(reading))
        fail("the reading window was not painted");
    settleDeletions();

    // Shown without exec() so that control comes back here; the window is the same.
    auto *report = new frmSave(reading);
    report->show();
    if (!watch.waitFor(report))
        fail("the report window was not painted");
    BenchProbe::reportAndExit("vmhwm-kib", BenchProbe::peakResidentKiB());
}
