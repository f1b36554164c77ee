#include "wifinetworkcheck.h"

#include <QDebug>
#include <QMessageBox>

bool WifiNetworkCheck::askToExit(QWidget *parent, Finding finding)
{
    const QString title = QStringLiteral("Kestrova");
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    if (finding == Finding::WifiOnElsewhere) {
        qDebug() << "##################### wifi is on";
        answer = QMessageBox::question(
            parent, title,
            tr("Network problem!\n\nWifi is on, but I did not find the device\n\n"
               "wrong AP connected?\nconnect to the right Access Point\n\n"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    } else if (finding == Finding::NoNetwork) {
        qDebug() << "##################### did not find ip";
        answer = QMessageBox::question(
            parent, title,
            tr("Network problem!\n\nis Wifi proper connected?\nsomebody else claims the device?\n"
               "remove him at first\nturn off Wifi\nand turn on again\n\n"
               "if this doesnt help,\nrepower the device\n\nExit Program?\n"),
            QMessageBox::Yes | QMessageBox::Retry, QMessageBox::Retry);
    }
    return answer == QMessageBox::Yes;
}
