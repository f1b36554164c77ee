#include "mainwindow.h"

#include <QApplication>
#include <QToolBar>

MainWindow::MainWindow(QWidget *parent, QApplication *application)
    : QMainWindow(parent), app(application)
{
    fileToolBar = addToolBar(tr("File"));
    fileToolBar->setObjectName("fileToolBar");
    fileToolBar->setMovable(false);
}
