#pragma once

#include "acquisition/acquisitionevent.h"
#include "acquisition/actionset.h"
#include "link/deviceinfo.h"
#include "link/wifinetwork.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <memory>

class AcquisitionController;
class PromptQueue;
class QAction;
class QApplication;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QToolBar;
class QToolButton;
class RenderArea;
class RenderAreaSink;

// The acquisition program's main window: the view of an AcquisitionController. It holds
// the toolbar, the status bar and the plot, maps its actions onto the controller, and
// shows the boxes and dialogs the controller asks for.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, QApplication *application = nullptr);
    ~MainWindow() override;

    AcquisitionController &controller() const { return *acquisition; }
    RenderArea *plotArea() const { return renderArea; }
    QAction *action(const QString &objectName) const;
    // Side of the toolbar icons for a screen of the given width.
    static int toolbarIconSide(int screenWidth);

public slots:
    void onOpenConfig();
    void onNewConfig();
    void onSaveConfig();
    void onConfiguration();
    void onButtonStart();
    void onButtonStop();
    void onButtonRecord();
    // Stores a marker with the text of the marker field in the running recording.
    void onButtonMarker();
    void onButtonStatus();
    void onButtonHelp();
    void onButtondeleteDatafile();
    void onButtondeleteConfigfile();
    void onWifiConfig();
    void onToolbarVisiblityChanged(bool onoff);
    void keyPressEvent(QKeyEvent *event) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Construction.
    void createActions();
    void createToolBar();
    QToolButton *createDeleteButton();
    QLineEdit *createMarkerField();
    QAction *makeAction(const char *name, const char *icon, const QString &text, const QString &tip,
                        void (MainWindow::*slot)());
    void connectController();
    void createStatusFields();
    void showStatus();
    void describePlot();
    void onMarkerAdded(quint64 frame, double seconds, const QString &text);
    void readSettings();
    void writeSettings();
    void applyActions(ActionSet::Actions enabled);
    void showConnectionState(int state);
    void showLoadedConfiguration(const QString &fileName);
    void markUnsaved();
    void deleteFiles(const QString &folder, const QString &header, bool asWarning, const QStringList &filter);
    static QStringList configurationFilter();

    // What the controller tells and asks, shown one box at a time.
    void onControllerMessage(Acquisition::Event event, const QString &text);
    void showMessage(Acquisition::Event event, const QString &text);
    void onBusyQuestion(const QString &text);
    void onNetworkQuestion(WifiNetwork::Finding finding);
    void onDeviceChoice(const QList<DeviceInfo> &candidates);
    void onWifiRecordQuestion(const QByteArray &record);

    QApplication *app;
    AcquisitionController *acquisition = nullptr;
    PromptQueue *prompts = nullptr;
    QToolBar *fileToolBar = nullptr;
    RenderArea *renderArea = nullptr;
    std::unique_ptr<RenderAreaSink> plotSink;

    QAction *openAct = nullptr, *newAct = nullptr, *saveAct = nullptr, *exitAct = nullptr;
    QAction *configurationAct = nullptr, *startAct = nullptr, *stopAct = nullptr;
    QAction *recordAct = nullptr, *statusAct = nullptr, *helpAct = nullptr, *wifiAct = nullptr;
    QAction *deleteConfigAct = nullptr, *deleteDataAct = nullptr;
    QAction *markerAct = nullptr, *graphOptionsAct = nullptr;
    QLineEdit *markerEdit = nullptr;
    QToolButton *deleteButton = nullptr;
    // Permanent fields of the status bar, right of the messages.
    QLabel *recordingField = nullptr, *rateField = nullptr, *lostField = nullptr, *connectionField = nullptr;
    int screenWidth = 1920;
    int screenHeight = 1080;
};
