#include <QApplication>
#include <QIcon>
#include <QMainWindow>

// Placeholder start-up until the terminal window exists.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("corvun");
    window.setWindowIcon(QIcon(":/images/tools.png"));
    window.show();
    return app.exec();
}
