#include "mainwindow.h"

#include "link/wifinetworkcheck.h"

#include <QApplication>
#include <QNetworkInterface>
#include <QToolBar>

MainWindow::MainWindow(QWidget *parent, QApplication *application)
    : QMainWindow(parent), app(application)
{
    fileToolBar = addToolBar(tr("File"));
    fileToolBar->setObjectName("fileToolBar");
    fileToolBar->setMovable(false);
}

bool MainWindow::checkWifiNetwork()
{
    QStringList addresses;
    const QList<QHostAddress> all = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : all)
        addresses << address.toString();
    bool exitRequested = false;
    const bool found = WifiNetworkCheck::run(this, addresses, exitRequested);
    if (exitRequested)
        close();
    return found;
}
