// Opens every window of the program in turn, as a user would reach it, and
// saves a PNG of each. Usage: orra_screenshots OUTPUT_DIR [NAME_SUFFIX]
// Meant for the xcb platform (under Xvfb), so the pictures show the style and
// fonts a desktop user gets; the suffix tells apart runs at other scales.

#include "app/banner.h"
#include "app/frmmain.h"
#include "app/navigation.h"
#include "app/startup.h"
#include "platform/appinfo.h"
#include "platform/platform.h"
#include "reading/frmamericanastrologyresult.h"
#include "report/frmsave.h"
#include "report/scrambler.h"
#include "signs/determination.h"
#include "web/frmabout.h"
#include "web/reminder.h"
#include "widgets/layoutfonts.h"
#include "widgets/programicon.h"

#include "support/fakeplatform.h"
#include "support/openwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

class Shooter
{
public:
    Shooter(const QString &folder, const QString &suffix)
        : m_folder(folder)
        , m_suffix(suffix)
    { }

    void save(QWidget *window, const QString &name)
    {
        saveOnly(window, name);
        if (window)
            listCrowding(window, name);
    }

    void saveOnly(QWidget *window, const QString &name)
    {
        if (!window) {
            fail(QStringLiteral("%1: the window is not there").arg(name));
            return;
        }
        if (!QTest::qWaitForWindowExposed(window, 5000))
            fail(QStringLiteral("%1: the window was never shown").arg(name));
        // Let queued layout and paint work finish before the grab.
        QTest::qWait(150);
        const QString path = m_folder.filePath(name + m_suffix + QStringLiteral(".png"));
        const QPixmap picture = window->grab();
        if (picture.isNull() || !picture.save(path, "PNG"))
            fail(QStringLiteral("%1: cannot write %2").arg(name, path));
        else
            std::printf("%s  %dx%d\n", qPrintable(path), picture.width(), picture.height());
    }

    // Names every visible control whose text needs more room than it has, or
    // that reaches past its window's edges: what the eye may miss in a picture.
    void listCrowding(QWidget *window, const QString &name)
    {
        const QRect inside = window->rect();
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(window) || widget->objectName().isEmpty()
                || widget->objectName().startsWith(QLatin1String("qt_")))
                continue;
            const QSize needed = neededSize(widget);
            if (!needed.isValid())
                continue; // shows no text of its own
            if (needed.width() > widget->width() || needed.height() > widget->height())
                std::printf("crowded: %s: %s needs %dx%d, has %dx%d\n", qPrintable(name),
                            qPrintable(widget->objectName()), needed.width(), needed.height(),
                            widget->width(), widget->height());
            const QRect placed(widget->mapTo(window, QPoint(0, 0)), widget->size());
            if (!inside.contains(placed))
                std::printf("crowded: %s: %s at %d,%d %dx%d reaches past the window (%dx%d)\n",
                            qPrintable(name), qPrintable(widget->objectName()), placed.x(),
                            placed.y(), placed.width(), placed.height(), inside.width(),
                            inside.height());
        }
    }

    // The room a control's text takes, or an invalid size for controls without text.
    static QSize neededSize(QWidget *widget)
    {
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty())
                return {};
            return label->wordWrap() ? QSize(label->width(), label->heightForWidth(label->width()))
                                     : label->sizeHint();
        }
        // The style's minimum button width is no sign of crowding: measure the
        // caption. The open button wraps its caption, so only its height counts.
        if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            QString caption = button->text();
            caption.remove(QLatin1Char('&'));
            const int margin
                = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            const QFontMetrics metrics = button->fontMetrics();
            if (QLatin1String(button->metaObject()->className()) == QLatin1String("WrapButton")) {
                const QRect wrapped
                    = metrics.boundingRect(QRect(0, 0, button->width() - margin, 10000),
                                           Qt::TextWordWrap | Qt::AlignCenter, caption);
                return {button->width(), wrapped.height() + margin};
            }
            return {metrics.horizontalAdvance(caption) + margin, metrics.height()};
        }
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                               QStyle::SC_ComboBoxEditField, combo);
            const int text = combo->fontMetrics().horizontalAdvance(combo->currentText());
            return {combo->width() - field.width() + text, combo->fontMetrics().height()};
        }
        return {};
    }

    void fail(const QString &why)
    {
        std::fprintf(stderr, "orra_screenshots: %s\n", qPrintable(why));
        ++m_failures;
    }

    int failures() const { return m_failures; }

private:
    QDir m_folder;
    QString m_suffix;
    int m_failures = 0;
};

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

template<typename T>
T *child(Shooter &shooter, QWidget *window, const char *name)
{
    T *found = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        shooter.fail(QStringLiteral("no child %1").arg(QLatin1String(name)));
    return found;
}

void choose(Shooter &shooter, QWidget *window, const char *name, const QString &text)
{
    auto *box = child<QComboBox>(shooter, window, name);
    if (!box)
        return;
    const int index = box->findText(text);
    if (index < 0)
        shooter.fail(QStringLiteral("%1 has no entry %2").arg(QLatin1String(name), text));
    box->setCurrentIndex(index);
}

void enter(Shooter &shooter, frmMain *main, const QString &name, const QString &month, int day)
{
    if (auto *edit = child<QLineEdit>(shooter, main, "txtName"))
        edit->setText(name);
    choose(shooter, main, "cboMonth", month);
    choose(shooter, main, "cboDate", QString::number(day));
    choose(shooter, main, "cboYear", QStringLiteral("1975"));
}

// Drops a menu of the window's menu bar down under its title.
void shootMenu(Shooter &shooter, QMainWindow *window, const char *menuName, const QString &name)
{
    auto *menu = child<QMenu>(shooter, window, menuName);
    if (!menu || !window->menuBar())
        return;
    const QRect title = window->menuBar()->actionGeometry(menu->menuAction());
    menu->popup(window->menuBar()->mapToGlobal(title.bottomLeft()));
    shooter.save(menu, name);
    menu->hide();
    settle();
}

// Shows each message the fake was asked for in the box the program really
// uses, grabs it and dismisses it.
void shootMessages(Shooter &shooter, FakePlatform &fake, QWidget *parent, const QString &name)
{
    const QList<FakePlatform::Message> messages = fake.messages;
    fake.messages.clear();
    if (messages.isEmpty()) {
        shooter.fail(QStringLiteral("%1: no message was shown").arg(name));
        return;
    }
    QtPlatform real;
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const QString shotName = messages.size() == 1 ? name : name + QString::number(i + 1);
        auto *timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer, &shooter, shotName] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer->stop();
            timer->deleteLater();
            shooter.save(box, shotName);
            box->done(QDialog::Rejected);
        });
        timer->start();
        const FakePlatform::Message &m = messages.at(i);
        real.message(parent, m.icon, m.text, m.buttons, m.defaultButton);
    }
    settle();
}

struct Birth
{
    const char *month;
    int day;
};

// One date inside each sign, in the order of the signs.
constexpr Birth Births[] = {
    {"December", 25}, {"February", 1}, {"March", 1},    {"April", 1},
    {"May", 1},       {"June", 1},     {"July", 1},     {"August", 1},
    {"September", 1}, {"October", 1},  {"November", 1}, {"December", 10},
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::ExecutableName);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setQuitOnLastWindowClosed(false);
    LayoutFonts::install();
    ProgramIcon::install();

    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: orra_screenshots OUTPUT_DIR [NAME_SUFFIX]\n");
        return 2;
    }
    if (!QDir().mkpath(args.at(1))) {
        std::fprintf(stderr, "orra_screenshots: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }
    Shooter shooter(args.at(1), args.value(2));
    FakePlatform fake;
    const QString person = QStringLiteral("Ann Walker");

    // The main window with each of the two banners the start-up draw can bring forward.
    fake.randoms = {0.0f, 1.0f / 6.0f};
    frmMain *main = Navigation::showMain();
    CoBrand_Randomize(main);
    enter(shooter, main, person, QStringLiteral("December"), 25);
    shooter.save(main, QStringLiteral("main"));
    CoBrand_Randomize(main);
    shooter.save(main, QStringLiteral("main-fullbrand"));
    CoBrand_Randomize(main); // the lowest draw again: the banner of main.png
    shootMenu(shooter, main, "mnuFile", QStringLiteral("menu-main-file"));
    shootMenu(shooter, main, "mnuHelp", QStringLiteral("menu-main-help"));
    {
        frmAbout about(main);
        about.show();
        shooter.save(&about, QStringLiteral("about"));
    }
    settle();

    // The messages the main window and the start-up can show.
    enter(shooter, main, QString(), QStringLiteral("December"), 25);
    main->cmdCalculate_Click();
    shootMessages(shooter, fake, main, QStringLiteral("message-name"));
    enter(shooter, main, person, QStringLiteral("February"), 30);
    main->cmdCalculate_Click();
    shootMessages(shooter, fake, main, QStringLiteral("message-date"));
    fake.openPath = QStringLiteral("/nonexistent/reading.naa");
    main->cmdOpen_Click();
    shootMessages(shooter, fake, main, QStringLiteral("message-file"));
    fake.settings.insert(QStringLiteral("Settings/") + ScrambleText(QStringLiteral("Duration")),
                         ScrambleText(formatReminderDate(fake.todayDate.addDays(-30), QLocale())));
    RunUpdateReminder();
    shootMessages(shooter, fake, nullptr, QStringLiteral("message-update"));
    fake.urls.clear();

    // The reading of every sign, both tabs.
    for (const Birth &birth : Births) {
        const QString month = QLatin1String(birth.month);
        const QString sign = determineSign(month, birth.day, QString());
        const QString base = QStringLiteral("reading-") + sign.toLower();
        main = Navigation::showMain();
        enter(shooter, main, person, month, birth.day);
        main->cmdCalculate_Click();
        settle();
        if (!fake.messages.isEmpty()) {
            shooter.fail(
                QStringLiteral("%1: refused: %2").arg(base, fake.messages.constFirst().text));
            fake.messages.clear();
            continue;
        }
        frmAmericanAstrologyResult *reading = openWindow<frmAmericanAstrologyResult>();
        if (!reading) {
            shooter.fail(QStringLiteral("%1: no reading window").arg(base));
            continue;
        }
        if (auto *shown = child<QLabel>(shooter, reading, "lblAmericanSign");
            shown && shown->text() != sign)
            shooter.fail(QStringLiteral("%1: the reading shows %2").arg(base, shown->text()));
        auto *tabs = child<QTabBar>(shooter, reading, "TS");
        if (!tabs)
            continue;
        tabs->setCurrentIndex(0);
        shooter.save(reading, base + QStringLiteral("-details"));
        tabs->setCurrentIndex(1);
        shooter.save(reading, base + QStringLiteral("-other"));
        // How far the description runs: it must end inside its panel.
        if (auto *text = child<QLabel>(shooter, reading, "lblNativeAmericanSignDesc")) {
            const int needed = text->heightForWidth(text->width());
            const int room = text->parentWidget()->height() - text->y();
            std::printf("description: %s: %d of %d pixels used\n", qPrintable(sign), needed, room);
        }

        if (&birth == &Births[0]) {
            tabs->setCurrentIndex(0);
            shootMenu(shooter, reading, "mnuFile", QStringLiteral("menu-reading-file"));
            shootMenu(shooter, reading, "mnuHelp", QStringLiteral("menu-reading-help"));
            frmSave report(reading);
            report.show();
            shooter.save(&report, QStringLiteral("report"));
            if (auto *text = child<QTextEdit>(shooter, &report, "RTB"))
                text->verticalScrollBar()->setValue(0);
            shooter.saveOnly(&report, QStringLiteral("report-top"));
        }
        Navigation::readingToMain();
        settle();
    }

    // Last, as it ends the program: a second copy finds the lock held.
    QTemporaryDir lockFolder;
    const QString lock = lockFolder.filePath(QStringLiteral("orra.lock"));
    SingleInstance first(lock);
    if (!first.acquire())
        shooter.fail(QStringLiteral("cannot take the first copy's lock"));
    SingleInstance second(lock);
    startProgram(second);
    shootMessages(shooter, fake, nullptr, QStringLiteral("message-running"));

    Navigation::EndProgram();
    settle();
    if (!fake.urls.isEmpty())
        shooter.fail(
            QStringLiteral("a web page was opened: %1").arg(fake.urls.join(QLatin1Char(' '))));
    return shooter.failures() == 0 ? 0 : 1;
}
