#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// Process-wide start-up options: written once while starting, read afterwards.
struct StartupOptions
{
    bool useWifi = false;
    bool logToFile = false;
    QString configFileName;
    QString workingDirectory;
    QString configDirectory;
};

// The global instance that start-up fills in and the main window reads.
StartupOptions &startupOptions();

// The open log file (or nullptr); owned by start-up, used by the message handler.
extern FILE *logFile;

enum class LanguageChoice { Unset, German, English };

// Result of walking the command line. The lines are debug messages to emit, in order.
struct CommandLineResult
{
    bool exitNow = false;
    int exitCode = 0;
    LanguageChoice language = LanguageChoice::Unset;
    QStringList lines;
};

// Walks the arguments (the program name first) into `options`, as far as they are valid.
CommandLineResult parseCommandLine(const QStringList &arguments, StartupOptions &options);

// The usage text, one message per line.
QStringList usageLines();
