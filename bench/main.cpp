// Performance benchmarks. Prints one table: start-up and peak memory against a
// bare Qt program (both launched as child processes), and, in this process,
// Calculate to a painted reading, composing the report, and saving plus
// reopening a reading. Every figure is the median of repeated runs.

#include "bare/barewindow.h"
#include "paintwatch.h"
#include "probe.h"
#include "support/fakeplatform.h"
#include "support/openwindow.h"

#include "app/frmmain.h"
#include "app/navigation.h"
#include "app/startup.h"
#include "reading/frmamericanastrologyresult.h"
#include "report/report.h"
#include "report/savedfile.h"
#include "signs/determination.h"
#include "signs/signtable.h"
#include "widgets/layoutfonts.h"
#include "widgets/programicon.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// ---- child processes --------------------------------------------------------

struct ChildResult
{
    bool ok = false;
    double startupMs = 0; // spawn to first paint, when the child reports it
    double peakMB = 0; // VmHWM, when the child reports it
    double cpuMs = 0; // user + system time of the whole child
};

// CPU time of all children waited for so far; what other programs on the
// machine do hardly changes it, unlike the time on the clock.
double childrenCpuMs()
{
#ifdef Q_OS_UNIX
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms
        = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
#else
    return 0; // no children's total on Windows: the row reads 0
#endif
}

class ChildRunner
{
public:
    ChildRunner()
        // A desktop session's runtime folder is a tmpfs; where there is one
        // here, each start gets a fresh one.
        : m_runtimes(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                         ? QStringLiteral("/dev/shm/orra-bench-XXXXXX")
                         : QDir::tempPath() + QStringLiteral("/orra-bench-XXXXXX"))
    {
        // Font caches may be kept between starts, as on a user's machine.
        m_base = QProcessEnvironment::systemEnvironment();
        m_base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_base.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
        m_base.insert(QStringLiteral("XDG_CACHE_HOME"), m_cache.path());
        // The first paint is reported by a plugin, so the program runs unchanged.
        m_base.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(ORRA_PLUGIN_DIR));
        m_base.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("orrafirstpaint"));
    }

    // Starts program with home as its home folder (settings under home/config)
    // and a fresh runtime folder. The user's lock is taken and given back here
    // first: a copy of the program running would refuse every start.
    ChildResult run(const QString &program, const QString &home)
    {
        if (!SingleInstance().acquire()) {
            err << "a copy of the program is running; end it first" << Qt::endl;
            return {};
        }
        QTemporaryDir runtime(m_runtimes.path() + QStringLiteral("/run-XXXXXX"));
        const QString config = home + QStringLiteral("/config");
        QDir().mkpath(config);
        QProcessEnvironment env = m_base;
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

        QProcess process;
        process.setProcessEnvironment(env);
        process.setProgram(program);
        const double cpuBefore = childrenCpuMs();
        const long long spawnedAt = BenchProbe::steadyNanoseconds();
        process.start();
        ChildResult result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            err << "benchmark child did not finish: " << program << Qt::endl;
            return result;
        }
        result.cpuMs = childrenCpuMs() - cpuBefore;
        bool painted = false;
        bool peak = false;
        const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> parts = line.trimmed().split(' ');
            if (parts.size() != 2)
                continue;
            bool ok = false;
            const long long value = parts[1].toLongLong(&ok);
            if (ok && parts[0] == "painted-at-ns") {
                result.startupMs = double(value - spawnedAt) / 1e6;
                painted = true;
            } else if (ok && parts[0] == "vmhwm-kib" && value > 0) {
                result.peakMB = double(value) * 1024 / 1e6;
                peak = true;
            }
        }
        result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
            && (painted || peak);
        if (!result.ok) {
            err << "benchmark child failed: " << program << '\n'
                << process.readAllStandardError() << Qt::endl;
        }
        return result;
    }

    // A start with an empty home: the update reminder sees a first start.
    ChildResult runFresh(const QString &program)
    {
        QTemporaryDir home;
        return run(program, home.path());
    }

private:
    QTemporaryDir m_cache;
    QTemporaryDir m_runtimes;
    QProcessEnvironment m_base;
};

// ---- the table ----------------------------------------------------------------

struct Row
{
    QString measure;
    QString unit;
    double ours = 0;
    double bare = 0;
    bool byRatio = true; // else by difference
    double limit = 0; // on the ratio, the difference, or (absolute) on ours
    bool absolute = false;
    bool inclusive = true; // "at most" rather than "under"
    bool measured = true;
};

QString number(double value, const QString &unit)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + QLatin1Char(' ') + unit;
}

void printTable(const std::vector<Row> &rows)
{
    const QStringList head = {QStringLiteral("measure"),       QStringLiteral("ours (median)"),
                              QStringLiteral("bare (median)"), QStringLiteral("ratio/difference"),
                              QStringLiteral("target"),        QStringLiteral("met?")};
    std::vector<QStringList> cells {head};
    for (const Row &row : rows) {
        const double compared = !row.byRatio ? row.ours - row.bare
            : row.bare > 0                   ? row.ours / row.bare
                                             : 0;
        const QString comparison = row.byRatio
            ? QStringLiteral("x%1").arg(compared, 0, 'f', 2)
            : QStringLiteral("%1%2 %3")
                  .arg(compared >= 0 ? QStringLiteral("+") : QString())
                  .arg(compared, 0, 'f', 1)
                  .arg(row.unit);
        const double checked = row.absolute ? row.ours : compared;
        const QString limit = row.absolute ? number(row.limit, row.unit)
            : row.byRatio                  ? QStringLiteral("x%1").arg(row.limit, 0, 'f', 2)
                                           : QStringLiteral("+%1 %2").arg(row.limit).arg(row.unit);
        const QString target
            = (row.inclusive ? QStringLiteral("<= ") : QStringLiteral("< ")) + limit;
        const bool met
            = row.measured && (row.inclusive ? checked <= row.limit : checked < row.limit);
        cells.push_back({row.measure,
                         row.measured ? number(row.ours, row.unit) : QStringLiteral("failed"),
                         number(row.bare, row.unit), comparison, target,
                         met ? QStringLiteral("yes") : QStringLiteral("NO")});
    }
    std::vector<qsizetype> widths(head.size(), 0);
    for (const QStringList &line : cells)
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], line[i].size());
    const auto print = [&](const QStringList &line) {
        out << '|';
        for (qsizetype i = 0; i < line.size(); ++i)
            out << ' '
                << (i == 0 ? line[i].leftJustified(widths[i]) : line[i].rightJustified(widths[i]))
                << " |";
        out << '\n';
    };
    print(cells[0]);
    out << '|';
    for (qsizetype width : widths)
        out << QString(width + 2, QLatin1Char('-')) << '|';
    out << '\n';
    for (size_t i = 1; i < cells.size(); ++i)
        print(cells[i]);
    out.flush();
}

// ---- in-process measurements ----------------------------------------------------

void enter(frmMain *main, const QString &month, int day, int year)
{
    main->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(QStringLiteral("Ann"));
    main->findChild<QComboBox *>(QStringLiteral("cboMonth"))->setCurrentText(month);
    main->findChild<QComboBox *>(QStringLiteral("cboDate"))->setCurrentText(QString::number(day));
    main->findChild<QComboBox *>(QStringLiteral("cboYear"))->setCurrentText(QString::number(year));
}

struct CalculateResult
{
    std::vector<double> ms;
    QStringList values; // the twenty values of the first reading
    bool ok = true;
};

// Calculate to the reading window painted, one month (and so one sign) after
// another. Building the main window again between runs is not timed.
CalculateResult measureCalculate(PaintWatch &watch, int runs)
{
    CalculateResult result;
    frmMain *main = Navigation::showMain();
    watch.waitFor(main);
    for (int run = 0; run < runs && result.ok; ++run) {
        enter(main, monthNames().at(run % 12), 5 + run % 20, 1950 + run);
        watch.forget();
        QElapsedTimer timer;
        timer.start();
        main->cmdCalculate_Click();
        frmAmericanAstrologyResult *reading = openWindow<frmAmericanAstrologyResult>();
        result.ok = watch.waitFor(reading);
        result.ms.push_back(elapsedMs(timer));
        if (!result.ok)
            break;
        if (run == 0) {
            for (const Field &field : fields()) {
                const auto *label = reading->findChild<QLabel *>(QLatin1String(field.label));
                result.values << (label ? label->text() : QString());
            }
        }
        watch.forget();
        Navigation::readingToMain();
        main = Navigation::mainWindow();
        result.ok = watch.waitFor(main);
        settleDeletions();
    }
    Navigation::EndProgram();
    settleDeletions();
    return result;
}

std::vector<double> measureBareWindow(PaintWatch &watch, int runs)
{
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        watch.forget();
        QElapsedTimer timer;
        timer.start();
        QMainWindow *window = makeBareWindow();
        window->show();
        watch.waitFor(window);
        ms.push_back(elapsedMs(timer));
        delete window;
        settleDeletions();
    }
    return ms;
}

struct SaveResult
{
    std::vector<double> ms, bareMs;
    bool ok = true;
};

// Saving a reading over the previous one and opening it again, in folder.
SaveResult measureSave(const QString &folder, int runs)
{
    SaveResult result;
    const QString path = folder + QStringLiteral("/reading.naa");
    const QString plainPath = folder + QStringLiteral("/plain.naa");
    const QByteArray bytes = encodeSavedReading(1975, QStringLiteral("May"), 5);
    for (int run = 0; run < runs && result.ok; ++run) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        const bool written = writeSavedReadingFile(path, 1975, QStringLiteral("May"), 5, &error);
        const std::optional<SavedReading> back = readSavedReadingFile(path);
        result.ms.push_back(elapsedMs(timer));
        if (!written || !back || back->month != QLatin1String("May")) {
            err << "saving and reopening a reading failed: " << error << Qt::endl;
            result.ok = false;
        }

        timer.start();
        QFile plainOut(plainPath);
        if (plainOut.open(QIODevice::WriteOnly))
            plainOut.write(bytes);
        plainOut.close();
        QFile plainIn(plainPath);
        if (plainIn.open(QIODevice::ReadOnly))
            plainIn.readAll();
        result.bareMs.push_back(elapsedMs(timer));
    }
    return result;
}

int argument(const QStringList &args, const QString &name, int fallback)
{
    const qsizetype at = args.indexOf(name);
    bool ok = false;
    const int value = at >= 0 ? args.value(at + 1).toInt(&ok) : 0;
    return ok && value > 0 ? value : fallback;
}

// The offscreen platform warns about every fixed-size window it is asked to
// honour; that says nothing about the figures.
QtMessageHandler previousHandler = nullptr;

void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    // The figures are for the offscreen platform, for the children and here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QTemporaryDir runtime;
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    previousHandler = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--help"))) {
        out << "usage: orra_bench [--runs N] [--calculate-runs N] [--runs-in-process N]\n"
               "  --runs N             starts of each program, interleaved (15)\n"
               "  --calculate-runs N   Calculate-to-reading runs (31)\n"
               "  --runs-in-process N  report and save runs (201)\n";
        return 0;
    }
    const int starts = argument(args, QStringLiteral("--runs"), 15);
    const int calculateRuns = argument(args, QStringLiteral("--calculate-runs"), 31);
    const int inProcessRuns = argument(args, QStringLiteral("--runs-in-process"), 201);
    bool allOk = true;

    // Start-up and peak memory, in child processes. One unmeasured start of
    // each fills the disk and font caches; then the two alternate in order.
    out << "Starting each program " << starts << " times..." << Qt::endl;
    const QString ours = QStringLiteral(ORRA_PROGRAM);
    const QString bare = QStringLiteral(ORRA_BARE_PROGRAM);
    const QString peak = QStringLiteral(ORRA_PEAK_PROGRAM);
    ChildRunner runner;
    runner.runFresh(ours);
    runner.runFresh(bare);
    runner.runFresh(peak);
    std::vector<double> oursStart, oursLaterStart, bareStart, oursPeak, barePeak;
    std::vector<double> oursCpu, bareCpu;
    const auto keep
        = [&allOk](const ChildResult &r, std::vector<double> &ms, std::vector<double> *cpu) {
              allOk = allOk && r.ok;
              if (r.ok) {
                  ms.push_back(r.startupMs);
                  if (cpu)
                      cpu->push_back(r.cpuMs);
              }
          };
    for (int run = 0; run < starts; ++run) {
        // A first start leaves the stored reminder date behind for a later start.
        QTemporaryDir home;
        const bool bareFirst = run % 2;
        if (bareFirst) {
            const ChildResult r = runner.runFresh(bare);
            keep(r, bareStart, &bareCpu);
            if (r.ok)
                barePeak.push_back(r.peakMB);
        }
        keep(runner.run(ours, home.path()), oursStart, &oursCpu);
        keep(runner.run(ours, home.path()), oursLaterStart, nullptr);
        if (!bareFirst) {
            const ChildResult r = runner.runFresh(bare);
            keep(r, bareStart, &bareCpu);
            if (r.ok)
                barePeak.push_back(r.peakMB);
        }
        const ChildResult r = runner.runFresh(peak);
        allOk = allOk && r.ok;
        if (r.ok)
            oursPeak.push_back(r.peakMB);
    }

    // In this process, with nothing asked of a person or the system.
    out << "Measuring in process..." << Qt::endl;
    FakePlatform fake;
    LayoutFonts::install();
    ProgramIcon::install();
    PaintWatch watch;
    const CalculateResult calculate = measureCalculate(watch, calculateRuns);
    allOk = allOk && calculate.ok;
    const std::vector<double> bareWindow = measureBareWindow(watch, calculateRuns);

    std::vector<double> composeMs, bareComposeMs;
    for (int run = 0; run < inProcessRuns; ++run) {
        QTextDocument document;
        QElapsedTimer timer;
        timer.start();
        ComposeReport(&document, calculate.values);
        composeMs.push_back(elapsedMs(timer));

        QTextDocument plain;
        timer.start();
        plain.setPlainText(calculate.values.join(QLatin1Char('\n')));
        bareComposeMs.push_back(elapsedMs(timer));
    }

    // The save goes through QSaveFile, whose commit waits for the disk; on a
    // tmpfs that wait is nil, which shows what the program itself costs.
    QTemporaryDir onDisk;
    const SaveResult save = measureSave(onDisk.path(), inProcessRuns);
    QTemporaryDir inMemory(QStringLiteral("/dev/shm/orra-bench-XXXXXX"));
    const SaveResult saveInMemory
        = inMemory.isValid() ? measureSave(inMemory.path(), inProcessRuns) : SaveResult {};

    std::vector<Row> rows;
    rows.push_back({QStringLiteral("start-up to main window painted"), QStringLiteral("ms"),
                    median(oursStart), median(bareStart), true, 1.15, false, true,
                    !oursStart.empty()});
    rows.push_back({QStringLiteral("  later start (date stored)"), QStringLiteral("ms"),
                    median(oursLaterStart), median(bareStart), true, 1.15, false, true,
                    !oursLaterStart.empty()});
    rows.push_back({QStringLiteral("  CPU time of a first start"), QStringLiteral("ms"),
                    median(oursCpu), median(bareCpu), true, 1.15, false, true, !oursCpu.empty()});
    rows.push_back({QStringLiteral("Calculate to reading painted"), QStringLiteral("ms"),
                    median(calculate.ms), median(bareWindow), true, 15, true, false, calculate.ok});
    rows.push_back({QStringLiteral("report composition"), QStringLiteral("ms"), median(composeMs),
                    median(bareComposeMs), true, 5, true, false, !calculate.values.isEmpty()});
    rows.push_back({QStringLiteral("save + reopen a reading"), QStringLiteral("ms"),
                    median(save.ms), median(save.bareMs), true, 1, true, false, save.ok});
    if (inMemory.isValid())
        rows.push_back({QStringLiteral("  the same, folder on tmpfs"), QStringLiteral("ms"),
                        median(saveInMemory.ms), median(saveInMemory.bareMs), true, 1, true, false,
                        saveInMemory.ok});
    rows.push_back({QStringLiteral("peak memory, report shown"), QStringLiteral("MB"),
                    median(oursPeak), median(barePeak), false, 10, false, true, !oursPeak.empty()});

    out << '\n';
    printTable(rows);
    out << "\nRuns: " << starts << " starts of each program (interleaved, offscreen), "
        << calculateRuns << " Calculate runs, " << inProcessRuns << " report and save runs.\n"
        << "Bare: start-up and memory of bench/bare (a main window, a menu bar, three lists);\n"
        << "in process, the same window built and painted, the twenty values set as plain\n"
        << "text, and the saved bytes written and read with QFile. Start-ups are first starts\n"
        << "(empty settings store) unless marked; the runtime folder is on a tmpfs.\n";
    if (!calculate.ms.empty())
        out << "The first Calculate of the run (loading fonts and the picture renderer) took "
            << QString::number(calculate.ms.front(), 'f', 1) << " ms.\n";
    out.flush();
    return allOk && save.ok && saveInMemory.ok ? 0 : 1;
}
