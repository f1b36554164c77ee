// MainWindow: the boxes and dialogs for what the acquisition reports and asks. They are
// shown one at a time, after the step that raised them.
#include "mainwindow.h"

#include "acquisition/acquisitioncontroller.h"
#include "link/devicedialog.h"
#include "link/wifinetworkcheck.h"
#include "promptqueue.h"
#include "wifi/wificonfigdialog.h"

#include <QMessageBox>

void MainWindow::onControllerMessage(Acquisition::Event event, const QString &text)
{
    prompts->add([this, event, text] { showMessage(event, text); });
}

void MainWindow::showMessage(Acquisition::Event event, const QString &text)
{
    switch (event) {
    case Acquisition::Event::DeviceDisconnected:
        QMessageBox::critical(this, "Kestrova", text, QMessageBox::Ok);
        break;
    default:
        QMessageBox::warning(this, "Kestrova", text, QMessageBox::Ok);
        break;
    }
}

void MainWindow::onBusyQuestion(const QString &text)
{
    prompts->add([this, text] {
        const auto answer = QMessageBox::question(this, "Kestrova", text, QMessageBox::Yes | QMessageBox::Retry,
                                                  QMessageBox::Retry);
        const bool exitProgram = answer == QMessageBox::Yes;
        acquisition->answerBusy(exitProgram);
        if (exitProgram)
            close();
    });
}

void MainWindow::onNetworkQuestion(WifiNetwork::Finding finding)
{
    prompts->add([this, finding] {
        const bool exitProgram = WifiNetworkCheck::askToExit(this, finding);
        acquisition->answerNetwork(exitProgram);
        if (exitProgram)
            close();
    });
}

void MainWindow::onDeviceChoice(const QList<DeviceInfo> &candidates)
{
    prompts->add([this, candidates] {
        devicedialog dialog(this, candidates);
        dialog.exec();
        acquisition->chooseDevice(dialog.selectedIndex());
    });
}

void MainWindow::onWifiRecordQuestion(const QByteArray &record)
{
    prompts->add([this, record] {
        QByteArray edited;
        {
            wificonfigdialog dialog(this, record);
            if (dialog.exec() == QDialog::Accepted)
                edited = dialog.getConfig();
        }
        acquisition->answerWifiRecord(edited);
    });
}
