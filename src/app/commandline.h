#pragma once

#include <QString>
#include <QStringList>

// What the program was asked for on its command line: at most one saved
// reading to open, or an answer to give without starting.
struct CommandLine
{
    enum Outcome { Run, Help, Version, Mistake };
    Outcome outcome = Run;
    QString file; // Run: the saved reading to open, empty when none was given
    QString text; // Help, Version: for standard output; Mistake: one line for standard error

    // 0, or 2 for a mistake, as command-line programs end.
    int exitStatus() const { return outcome == Mistake ? 2 : 0; }
};

// The arguments as main() got them, the program's name first. Qt's own
// options (-platform, -style and the like) are let through for QApplication,
// which takes them from the same list. Needs no application object, so that
// --help and a mistake are answered before any display is opened.
CommandLine parseCommandLine(const QStringList &arguments);

// On Windows from the command line Windows keeps in UTF-16, not from argv.
QStringList commandLineArguments(int argc, char *argv[]);

// The help, version or mistake text on standard output or standard error; on
// Windows, where the program has no console, on the one it was started from.
void printAnswer(const CommandLine &command);

// After start-up: does with the file what "&Open Previously Saved Reading"
// does with a chosen one. Nothing for an empty name.
void openGivenReading(const QString &file);
