#pragma once

#include "acquisition/acquisitionevent.h"
#include "acquisition/busyquestionrule.h"
#include "link/deviceinfo.h"
#include "link/wifinetwork.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class DisplaySink;
class SerialCom;
class myAdw;
class udp_com;

// Finds, opens and identifies the device: connection states 0 search, 1 enumerate and
// open, 2 opening, 3 identify, 4 connected. Owns both links (one in use) and what the
// device told about itself. Where a person must decide (several candidates, a busy
// device, no WiFi network) it asks through a signal and waits for the answer slot; the
// steps meanwhile only re-arm.
class ConnectionMachine : public QObject
{
    Q_OBJECT

public:
    explicit ConnectionMachine(bool useWifi, QObject *parent = nullptr);
    ~ConnectionMachine() override;

    myAdw *link() const { return activeLink; }
    udp_com *udpLink() const { return udp; }
    bool usingUdp() const;
    int state() const { return connectionState; }
    int deviceFamily() const { return family; }
    QString identification() const { return idnString; }
    bool deviceAnswered() const { return portOpened; }   // channel counts came in
    int adc24Count() const { return nAdc24; }
    int adc16Count() const { return nAdc16; }
    int imuCount() const { return imus.count; }
    int auxWordCount() const { return auxWords.count; }

    void setDisplay(DisplaySink *sink) { display = sink; }
    // Only a device with this serial number is a candidate (empty: any of ours).
    void setPreferredSerial(const QString &serialNumber) { preferredSerial = serialNumber; }

    // One step of states 0 to 3; returns the interval in ms until the next. State 4 is
    // the controller's, which asks deviceLost() and steps the measurement.
    int step();
    bool deviceLost();
    // After the device was lost: search again from state 0, forgetting what it told.
    void forgetDevice();

public slots:
    void answerBusy(bool exitProgram);
    void answerNetwork(bool exitProgram);
    void chooseDevice(int index);

signals:
    void stateChanged(int state);
    void message(Acquisition::Event event, const QString &text);
    void statusMessage(const QString &text);
    void busyQuestion(const QString &text);
    void networkQuestion(WifiNetwork::Finding finding);
    void deviceChoiceQuestion(const QList<DeviceInfo> &candidates);
    // An IMU or AUX count changed: a configuration made for the old counts no longer fits.
    void channelCountChanged();
    // The first channel counts since connecting.
    void deviceDescribed();
    void memoryRead(const QByteArray &bytes);
    // The device answered a command with an error (an "abort" after a stream is none).
    void commandFailed(const QByteArray &command, const QByteArray &answer);

private slots:
    void onCommunicationResponse(bool success, QByteArray command, QByteArray response);
    void onOpenResultss(bool success);

private:
    enum class Question { None, Busy, Network, Choice };

    void switchState(int state);
    void ask(Question question, int waitAfterAnswer);
    void answer(Question question);
    int stepSearch();
    int stepEnumerate();
    bool findCandidate();
    int openCandidate();
    int stepOpening();
    int stepIdentify();
    // A busy device: asks whether to give up, or after a retry searches on quietly.
    int deviceIsBusy(const QString &question, int waitAfterAnswer);
    void sendQuery(const char *query);
    void setLogo(const char *resource);
    void handleChannelCounts(const QByteArray &response);
    struct CountState
    {
        int count = 0;          // in use (0 when the device reported more than supported)
        int reported = 0;       // as last reported
        bool known = false;     // a count came in since connecting
    };
    void takeOverCount(int reported, int limit, CountState &state, const char *what, const QString &changedWarning,
                       const QString &tooManyWarning);

    udp_com *udp = nullptr;
    SerialCom *serial = nullptr;
    myAdw *activeLink = nullptr;
    DisplaySink *display = nullptr;
    QString preferredSerial;
    QElapsedTimer sinceConstruction;

    int connectionState = 0;
    Question pending = Question::None;
    int afterAnswer = 0;            // ms to wait once the pending question is answered
    QList<DeviceInfo> candidates;   // offered in the pending choice
    DeviceInfo chosen;
    bool choiceMade = false;

    bool portOpened = false;
    bool deviceBusy = false;
    int family = 0;
    QString idnString;
    int nAdc24 = 0, nAdc16 = 0;
    CountState imus, auxWords;
    bool deviceInfoReceived = false;
    QByteArray unusableCounts;      // the last answer with counts that cannot be used, told once

    BusyQuestionRule busyRule;
    QString retrySerial;            // the busy device the user chose to wait for
};
