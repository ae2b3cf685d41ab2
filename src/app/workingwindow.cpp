#include "workingwindow.h"

#include "app/navigation.h"
#include "platform/appinfo.h"
#include "web/links.h"
#include "widgets/enterkey.h"
#include "widgets/linklabel.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace {
// Gives the window a fixed client area of the size the area widget has,
// a non-resizable frame without minimise or maximise buttons.
void fixClientArea(QWidget *window, QWidget *clientArea)
{
    clientArea->setFixedSize(clientArea->size());
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    else
        window->setFixedSize(clientArea->size());
    window->setWindowFlags((window->windowFlags() & ~(Qt::WindowMinMaxButtonsHint))
                           | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint
                           | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint);
}
} // namespace

WorkingWindow::WorkingWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void WorkingWindow::setUpCommon(QWidget *clientArea)
{
    const auto onAction = [this](const char *name, void (WorkingWindow::*handler)()) {
        if (auto *action = findChild<QAction *>(QLatin1String(name)))
            connect(action, &QAction::triggered, this, handler);
    };
    onAction("mnuOnline", &WorkingWindow::mnuOnline_Click);
    onAction("mnuVisit", &WorkingWindow::mnuVisit_Click);
    onAction("mnuUpdate", &WorkingWindow::mnuUpdate_Click);
    onAction("mnuDonate", &WorkingWindow::mnuDonate_Click);
    onAction("mnuMakeMoney", &WorkingWindow::mnuMakeMoney_Click);
    onAction("mnuAbout", &WorkingWindow::mnuAbout_Click);
    onAction("mnuExit", &WorkingWindow::mnuExit_Click);

    const auto onLink = [this](const char *name, void (WorkingWindow::*handler)()) {
        if (auto *label = findChild<LinkLabel *>(QLatin1String(name)))
            connect(label, &LinkLabel::clicked, this, handler);
    };
    onLink("Label14", &WorkingWindow::Label14_Click);
    onLink("lblCobrand", &WorkingWindow::lblCobrand_Click);
    onLink("lblFullBrand", &WorkingWindow::lblFullBrand_Click);

    // F10 opens the menu bar's first menu, as on the desktops around us.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        for (QAction *item : menuBar()->actions()) {
            if (item->isVisible() && item->isEnabled()) {
                menuBar()->setActiveAction(item);
                break;
            }
        }
    });

    setWindowTitle(AppInfo::Caption);
    pressButtonsWithEnter(this);
    fixClientArea(this, clientArea);
}

void WorkingWindow::nameSeparators(QMenu *menu, std::initializer_list<const char *> names)
{
    auto name = names.begin();
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() && name != names.end())
            action->setObjectName(QLatin1String(*name++));
    }
}

void WorkingWindow::unloadForNavigation()
{
    m_navigating = true;
    close();
}

void WorkingWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Navigation::windowUnloaded(this);
    // Form_Unload: a user's close ends the program; a navigation step does not.
    if (!m_navigating)
        Navigation::EndProgram();
}

void WorkingWindow::mnuOnline_Click()
{
    OpenHelpWebPage();
}
void WorkingWindow::mnuVisit_Click()
{
    OpenHomePage();
}
void WorkingWindow::mnuUpdate_Click()
{
    OpenDownloadWebPage();
}
void WorkingWindow::mnuDonate_Click()
{
    OpenDonatePage();
}
void WorkingWindow::mnuMakeMoney_Click()
{
    OpenFullyBrandedPage();
}
void WorkingWindow::Label14_Click()
{
    OpenHomePage();
}
void WorkingWindow::lblCobrand_Click()
{
    OpenCoBrandPage();
}
void WorkingWindow::lblFullBrand_Click()
{
    OpenFullyBrandedPage();
}

void WorkingWindow::mnuAbout_Click()
{
    Navigation::showAbout(this);
}

void WorkingWindow::mnuExit_Click()
{
    close();
}
