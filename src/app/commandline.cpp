#include "commandline.h"

#include "app/frmmain.h"
#include "app/navigation.h"
#include "platform/appinfo.h"

#include <QCommandLineParser>
#include <QFile>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shellapi.h>
#endif

namespace {
// Qt's own options that take a value; Qt reads them from the same arguments.
// Listed so that the value is not taken for a file and the option not refused.
constexpr auto QtValueOptions
    = "platform platformpluginpath platformtheme plugin qwindowgeometry qwindowicon qwindowtitle "
      "style stylesheet session display geometry name title visual qmljsdebugger dialogs "
      "fontengine";
constexpr auto QtFlagOptions = "reverse widgetcount nograb dograb sync";

QString usageLine()
{
    return QStringLiteral("Usage: ") + AppInfo::ExecutableName
        + QStringLiteral(" [options] [file]");
}
} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's options are written with one dash (-platform xcb), like long ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        AppInfo::Title
        + QStringLiteral(" gives a personal reading by the twelve animal signs\n"
                         "of Native American astrology from a name and a date of birth."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's version and end."));
    parser.addOption(help);
    parser.addOption(version);
    for (const QString &name : QString::fromLatin1(QtValueOptions).split(QLatin1Char(' '))) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString &name : QString::fromLatin1(QtFlagOptions).split(QLatin1Char(' '))) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A saved reading (.naa) to open once the main "
                                                "window is up."),
                                 QStringLiteral("[file]"));

    CommandLine result;
    const auto mistake = [&result](QString why) {
        result.outcome = CommandLine::Mistake;
        why.replace(QLatin1Char('\n'), QLatin1Char(' '));
        result.text = AppInfo::ExecutableName + QStringLiteral(": ") + why
            + QStringLiteral(" Try --help.\n");
        return result;
    };
    if (!parser.parse(arguments))
        return mistake(parser.errorText());
    if (parser.isSet(help)) {
        // Qt's own first line names no program without an application object.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), usageLine());
        result.outcome = CommandLine::Help;
        result.text = text;
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = CommandLine::Version;
        result.text = AppInfo::ExecutableName + QLatin1Char(' ') + QStringLiteral(ORRA_VERSION)
            + QLatin1Char('\n');
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return mistake(QStringLiteral("Only one saved reading can be opened at a time."));
    if (!files.isEmpty())
        result.file = files.first();
    return result;
}

QStringList commandLineArguments(int argc, char *argv[])
{
    QStringList arguments;
#ifdef Q_OS_WIN
    // argv is in the ANSI code page, where a folder named in another script
    // turns into question marks: the arguments as Windows gives them, in
    // UTF-16, split as QCoreApplication::arguments() splits them.
    int count = 0;
    if (wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.append(QString::fromWCharArray(wide[i]));
        LocalFree(wide);
        return arguments;
    }
#endif
    for (int i = 0; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    return arguments;
}

void printAnswer(const CommandLine &command)
{
    const bool mistake = command.outcome == CommandLine::Mistake;
#ifdef Q_OS_WIN
    // A windowed program has no console of its own: the answer goes where the
    // handle was redirected (a file, a pipe, NUL), or else to the console of
    // the command prompt that started the program.
    HANDLE out = GetStdHandle(mistake ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD written = 0;
    DWORD mode = 0;
    if (out && out != INVALID_HANDLE_VALUE && !GetConsoleMode(out, &mode)) {
        const QByteArray bytes = command.text.toLocal8Bit();
        WriteFile(out, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
        return;
    }
    if (!out || out == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return; // started without one: nowhere to say it
        out = GetStdHandle(mistake ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    }
    WriteConsoleW(out, command.text.utf16(), DWORD(command.text.size()), &written, nullptr);
#else
    std::fputs(qPrintable(command.text), mistake ? stderr : stdout);
#endif
}

void openGivenReading(const QString &file)
{
    if (file.isEmpty())
        return;
    if (frmMain *main = Navigation::mainWindow())
        main->OpenSavedReading(file);
}
