// MainWindow: the device WiFi configuration task.
#include "mainwindow.h"

#include <QStatusBar>

int MainWindow::wificonfigTask()
{
    // Until the device's network settings can be edited the request ends at once.
    wifiTaskPending = false;
    statusBar()->showMessage(tr("Wifi configuration is not available yet"));
    return 30;
}
