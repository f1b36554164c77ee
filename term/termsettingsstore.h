#pragma once

#include <QPoint>
#include <QSize>
#include <QStringList>

class QSettings;

// The terminal's persistent choices ("lumetrix"/"corvun"): window geometry, line
// options and the ten function-key macros, with their defaults when missing.
class TermSettingsStore
{
public:
    static constexpr int macroCount = 10;

    QPoint pos{200, 200};
    QSize size{600, 400};
    quint32 baudRate = 9600;
    bool localEcho = false;
    bool crlf = false;
    bool timeStamps = false;  // received lines begin with their arrival time
    QStringList keyList = defaultKeys();

    static QStringList defaultKeys();

    void load(QSettings &store);
    // Baud rate and local echo are kept only when the command line did not set them.
    void save(QSettings &store, bool writeBaudRate, bool writeLocalEcho) const;
};
