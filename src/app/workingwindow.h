#pragma once

#include <QMainWindow>

#include <initializer_list>

class QMenu;

// What the main window and the reading window have in common: the same Help
// and Donate menus, the same link labels, and the rule that a user's close of
// either ends the program while a close made to move between them does not.
class WorkingWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit WorkingWindow(QWidget *parent = nullptr);

    // Unloads the window as a step of moving to the other working window.
    void unloadForNavigation();

    void mnuOnline_Click();
    void mnuVisit_Click();
    void mnuUpdate_Click();
    void mnuDonate_Click();
    void mnuMakeMoney_Click();
    void mnuAbout_Click();
    void mnuExit_Click();
    void Label14_Click();
    void lblCobrand_Click();
    void lblFullBrand_Click();

protected:
    // Call once the layout is set up: wires the shared menu items and labels,
    // fixes the client area and applies the common look.
    void setUpCommon(QWidget *clientArea);
    // Gives a menu's separators their names, top to bottom.
    static void nameSeparators(QMenu *menu, std::initializer_list<const char *> names);
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_navigating = false;
};
