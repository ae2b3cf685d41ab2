#include "navigation.h"

#include "app/frmmain.h"
#include "platform/platform.h"
#include "reading/frmamericanastrologyresult.h"
#include "web/frmabout.h"

#include <QApplication>
#include <QPointer>

namespace Navigation {

namespace {
QPointer<frmMain> mainInstance;
QPointer<frmAmericanAstrologyResult> readingInstance;
bool ending = false;
} // namespace

frmMain *mainWindow()
{
    return mainInstance;
}

frmMain *showMain()
{
    if (!mainInstance)
        mainInstance = new frmMain;
    mainInstance->show();
    return mainInstance;
}

void mainToReading()
{
    // The target first: its load fills the reading while the main window is still there.
    if (!readingInstance)
        readingInstance = new frmAmericanAstrologyResult;
    readingInstance->show();
    if (mainInstance)
        mainInstance->unloadForNavigation();
}

void readingToMain()
{
    showMain();
    if (readingInstance)
        readingInstance->unloadForNavigation();
}

void showAbout(QWidget *over)
{
    frmAbout about(over);
    about.exec();
}

void windowUnloaded(QWidget *window)
{
    if (window == mainInstance)
        mainInstance = nullptr;
    if (window == readingInstance)
        readingInstance = nullptr;
}

void EndProgram()
{
    if (ending)
        return; // the unloads made here are not a user's close
    ending = true;
    // Modal dialogs first, then the working windows.
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (!modal->close())
            break;
    }
    if (QWidget *reading = readingInstance)
        reading->close();
    if (QWidget *main = mainInstance)
        main->close();
    ending = false;
    platform().endProcess();
}

} // namespace Navigation
