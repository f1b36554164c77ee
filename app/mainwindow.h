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

private:
    QApplication *app;
    QToolBar *fileToolBar;
};
