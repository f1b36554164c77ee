#pragma once

#include <QMainWindow>

class QApplication;
class QToolBar;

// The acquisition program's main window.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, QApplication *application = nullptr);

    // True when the computer is in the WiFi device's network; otherwise asks the user and
    // closes the window when the answer is Yes.
    bool checkWifiNetwork();

private:
    QApplication *app;
    QToolBar *fileToolBar;
};
