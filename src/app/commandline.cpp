#include "commandline.h"

#include "app/frmmain.h"
#include "app/navigation.h"
#include "platform/appinfo.h"

#include <QCommandLineParser>
#include <QFile>

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
    for (int i = 0; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    return arguments;
}

void openGivenReading(const QString &file)
{
    if (file.isEmpty())
        return;
    if (frmMain *main = Navigation::mainWindow())
        main->OpenSavedReading(file);
}
