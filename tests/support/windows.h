#pragma once

#include "support/fakeplatform.h"
#include "support/openwindow.h"

#include "app/appstate.h"
#include "app/frmmain.h"
#include "app/navigation.h"
#include "reading/frmamericanastrologyresult.h"
#include "signs/signtable.h"
#include "widgets/layoutfonts.h"
#include "widgets/linklabel.h"
#include "widgets/programicon.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

// Small helpers for driving the windows as a user would.
namespace TestWindows {

template<typename T>
T *child(QWidget *window, const char *name)
{
    T *found = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        qWarning("no child %s", name);
    return found;
}

inline QString labelText(QWidget *window, const char *name)
{
    auto *label = child<QLabel>(window, name);
    return label ? label->text() : QString();
}

// Lets deferred deletions of closed windows happen.
inline void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Closes whatever a previous test left and forgets the run's state.
inline void reset()
{
    FakePlatform quietEnd; // the real end would stop every later event loop
    Navigation::EndProgram();
    settle();
    appState() = AppState();
}

inline void enter(frmMain *main, const QString &name, const QString &month, int day, int year)
{
    child<QLineEdit>(main, "txtName")->setText(name);
    child<QComboBox>(main, "cboMonth")->setCurrentText(month);
    child<QComboBox>(main, "cboDate")->setCurrentText(QString::number(day));
    child<QComboBox>(main, "cboYear")->setCurrentText(QString::number(year));
}

inline frmAmericanAstrologyResult *readingWindow()
{
    return openWindow<frmAmericanAstrologyResult>();
}

// Opens a reading for the date from a fresh main window.
inline frmAmericanAstrologyResult *readingFor(const QString &month, int day, int year = 1975)
{
    frmMain *main = Navigation::showMain();
    enter(main, QStringLiteral("Ann"), month, day, year);
    main->cmdCalculate_Click();
    settle();
    return readingWindow();
}

// Opens path from a main window holding "Kept", 3 March 1990, with the fake
// answering the open dialog. Returns what went wrong, or an empty text when the
// file was refused with its message and the window kept every entry.
inline QString refusedOpen(FakePlatform &fake, const QString &path)
{
    fake.openPath = path;
    frmMain *main = Navigation::showMain();
    enter(main, QStringLiteral("Kept"), QStringLiteral("March"), 3, 1990);
    main->cmdOpen_Click();
    settle();
    if (fake.messages.size() != 1
        || fake.messages[0].text != QLatin1String("Please Check The File.")
        || fake.messages[0].icon != QMessageBox::Critical)
        return QStringLiteral("not exactly one \"Please Check The File.\" stop message");
    if (readingWindow() || Navigation::mainWindow() != main)
        return QStringLiteral("left the main window");
    const QStringList kept {child<QLineEdit>(main, "txtName")->text(),
                            child<QComboBox>(main, "cboMonth")->currentText(),
                            child<QComboBox>(main, "cboDate")->currentText(),
                            child<QComboBox>(main, "cboYear")->currentText()};
    if (kept != QStringList {"Kept", "March", "3", "1990"})
        return QStringLiteral("entries changed to ") + kept.join(QLatin1Char(' '));
    return {};
}

// Runs action on the modal window as soon as it is open.
inline void whenModalOpens(const std::function<void(QWidget *)> &action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

inline void install()
{
    static bool done = false;
    if (!done) {
        LayoutFonts::install();
        ProgramIcon::install();
        done = true;
    }
}

} // namespace TestWindows
