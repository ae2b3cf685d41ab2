#pragma once

class QWidget;
class frmMain;

// Which window shows or unloads which, and the end of the program. The main
// window and the reading window are never kept together.
namespace Navigation {

frmMain *mainWindow();

// Loads a fresh main window with its defaults and shows it.
frmMain *showMain();
// Shows the reading for the stored birth date, then unloads the main window.
void mainToReading();
// Shows a fresh main window, then unloads the reading window.
void readingToMain();
// The about box, modal over the given window.
void showAbout(QWidget *over);

// Called by a working window as it unloads, so the next show loads afresh.
void windowUnloaded(QWidget *window);

// Unloads every window still loaded, then ends the process.
void EndProgram();

} // namespace Navigation
