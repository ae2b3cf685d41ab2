// A Qt generic plugin that the benchmark (and the start-up fault tests) load
// into an unchanged program with QT_QPA_GENERIC_PLUGINS=orrafirstpaint: once
// the first top-level window has been painted, it prints what was painted,
// the steady clock and the peak memory, and ends the process at once.
//
//   painted <class> <objectName>[ <message box text>]
//   vmhwm-kib <KiB>
//   painted-at-ns <steady clock>

#include "probe.h"

#include <QApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace {
class FirstPaintExit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_seen || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (!window->isWindow())
            return false;
        m_seen = true;
        QByteArray what = QByteArray("painted ") + window->metaObject()->className() + ' '
            + window->objectName().toUtf8();
        if (auto *box = qobject_cast<QMessageBox *>(window))
            what += ' ' + box->text().toUtf8();
        // A zero timer fires once the rest of the window has painted too.
        QTimer::singleShot(0, [what] {
            const long long paintedAt = BenchProbe::steadyNanoseconds();
            std::printf("%s\nvmhwm-kib %lld\n", what.constData(), BenchProbe::peakResidentKiB());
            BenchProbe::reportAndExit("painted-at-ns", paintedAt);
        });
        return false;
    }

private:
    bool m_seen = false;
};
} // namespace

class FirstPaintPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "firstpaint.json")
public:
    QObject *create(const QString &name, const QString &) override
    {
        if (name.compare(QLatin1String("orrafirstpaint"), Qt::CaseInsensitive) != 0)
            return nullptr;
        auto *watcher = new FirstPaintExit(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(watcher);
        return watcher;
    }
};

#include "firstpaint.moc"
