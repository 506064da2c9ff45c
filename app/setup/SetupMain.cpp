// SPDX-License-Identifier: GPL-2.0-or-later
// recitor-setup: prepares the current user's working directory and settings before Recitor
// starts. The launcher runs it before every start; it does nothing when all is in place.

#include "UserSetup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>

#include <cstdio>

namespace {

void PrintLine(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("recitor-setup"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prepares the working directory and the settings that Recitor needs: "
                       "copies the shipped data files that are missing, creates empty user and "
                       "statistics files, and creates the run count and the settings that "
                       "allow the Preferences menu's choices. Existing files and settings are "
                       "kept."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("shipped-dir"),
        QStringLiteral("Directory of the data files installed with the program."),
        QStringLiteral("[shipped-dir]"));
    parser.addPositionalArgument(
        QStringLiteral("working-dir"),
        QStringLiteral("The user's working directory (default: %1).")
            .arg(QDir::toNativeSeparators(CUserSetup::DefaultWorkingDir())),
        QStringLiteral("[working-dir]"));
    const QCommandLineOption printOption(
        QStringLiteral("print-working-dir"),
        QStringLiteral("When ready, print the working directory's path on standard output."));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Tell what was created."));
    parser.addOption(printOption);
    parser.addOption(verboseOption);
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() > 2)
        parser.showHelp(2);

    // By default the shipped files lie where the install put them, relative to this program,
    // so that an install under any prefix (a user's ~/.local included) finds its own files.
    const QString shippedDir =
        arguments.size() >= 1
            ? arguments.at(0)
            : QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                              QStringLiteral(RECITOR_SHIPPED_DIR_FROM_BIN));
    const QString workingDir =
        arguments.size() >= 2 ? QDir::cleanPath(arguments.at(1)) : CUserSetup::DefaultWorkingDir();

    // The same store the program reads: organization "Quillmark", application "Recitor".
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillmark"),
                       QStringLiteral("Recitor"));

    CUserSetup setup(shippedDir, workingDir);
    const bool ready = setup.Run(settings);
    if (parser.isSet(verboseOption)) {
        for (const QString& action : setup.Actions())
            PrintLine(stderr, QStringLiteral("recitor-setup: ") + action);
    }
    for (const QString& error : setup.Errors())
        PrintLine(stderr, QStringLiteral("recitor-setup: ") + error);
    if (!ready)
        return 1;
    if (parser.isSet(printOption))
        PrintLine(stdout, QDir(workingDir).absolutePath());
    return 0;
}
