#include "connectionmachine.h"

#include "acquisition/channelcounts.h"
#include "acquisition/deviceanswer.h"
#include "acquisition/devicefamily.h"
#include "acquisition/displaysink.h"
#include "link/serialcom.h"
#include "link/udp_com.h"

#include <QDebug>

ConnectionMachine::ConnectionMachine(bool useWifi, QObject *parent) : QObject(parent)
{
    sinceConstruction.start();
    // The WiFi link exists in either mode but stays silent unless it is the one in use.
    udp = new udp_com(this, "192.168.4.1", useWifi);
    serial = new SerialCom(this);
    activeLink = useWifi ? static_cast<myAdw *>(udp) : static_cast<myAdw *>(serial);
    connect(activeLink, "2onResponseReady( bool, QByteArray, QByteArray)", this,
            "1onCommunicationResponse(bool, QByteArray,QByteArray)");
    connect(activeLink, "2onOpenResults(bool)", this, "1onOpenResultss(bool)");
}

ConnectionMachine::~ConnectionMachine() = default;

bool ConnectionMachine::usingUdp() const
{
    return activeLink == udp;
}

void ConnectionMachine::switchState(int state)
{
    connectionState = state;
    qDebug() << "############ switch to State" << state;
    emit stateChanged(state);
}

void ConnectionMachine::sendQuery(const char *query)
{
    activeLink->sendCommand(query, true, false, false, 0);
}

void ConnectionMachine::setLogo(const char *resource)
{
    if (display)
        display->setLogo(resource);
}

// The machine stands still until the question is answered, then waits as long as the
// step that asked would have.
void ConnectionMachine::ask(Question question, int waitAfterAnswer)
{
    pending = question;
    afterAnswer = waitAfterAnswer;
}

void ConnectionMachine::answer(Question question)
{
    if (pending == question)
        pending = Question::None;
}

void ConnectionMachine::answerBusy(bool exitProgram)
{
    // Giving up is the front end's to carry out; a retry waits for this device quietly.
    if (!exitProgram && pending == Question::Busy) {
        busyRule.answeredRetry(sinceConstruction.elapsed());
        retrySerial = chosen.serialNumber;
    }
    answer(Question::Busy);
}

void ConnectionMachine::answerNetwork(bool exitProgram)
{
    Q_UNUSED(exitProgram)
    answer(Question::Network);
}

void ConnectionMachine::chooseDevice(int index)
{
    if (pending != Question::Choice)
        return;
    chosen = candidates.value(index, candidates.value(0));
    choiceMade = true;
    answer(Question::Choice);
}

int ConnectionMachine::step()
{
    if (pending != Question::None)
        return 100;
    if (afterAnswer > 0) {
        const int wait = afterAnswer;
        afterAnswer = 0;
        return wait;
    }
    switch (connectionState) {
    case 0: return stepSearch();
    case 1: return stepEnumerate();
    case 2: return stepOpening();
    case 3: return stepIdentify();
    default: return -1;
    }
}

int ConnectionMachine::stepSearch()
{
    if (usingUdp()) {
        const WifiNetwork::Finding finding = WifiNetwork::examineHost();
        if (finding != WifiNetwork::Finding::DeviceNetwork) {
            ask(Question::Network, 3500);
            emit networkQuestion(finding);
            return 3500;
        }
    }
    switchState(1);
    return stepEnumerate();
}

int ConnectionMachine::stepEnumerate()
{
    if (!choiceMade && !findCandidate())
        return 200;
    if (pending == Question::Choice)
        return 200;
    choiceMade = false;
    family = DeviceFamily::of(chosen.serialNumber) == DeviceFamily::Vortiq ? 1 : 2;
    if (chosen.busy) {
        qDebug("device is busy");
        return deviceIsBusy(tr("Device is busy.\nPlease stop programs, who claims it.\n\nExit Program?\n"), 200);
    }
    busyRule.deviceFree();
    return openCandidate();
}

int ConnectionMachine::deviceIsBusy(const QString &question, int waitAfterAnswer)
{
    if (!busyRule.shouldAsk(sinceConstruction.elapsed())) {
        emit statusMessage(tr("Device is busy"));
        return waitAfterAnswer;
    }
    ask(Question::Busy, waitAfterAnswer);
    emit busyQuestion(question);
    return waitAfterAnswer;
}

// Scans the ports; true when one candidate was taken or a choice among several asked.
bool ConnectionMachine::findCandidate()
{
    portOpened = false;
    QList<DeviceInfo> portList;
    activeLink->scanDevices(portList);
    candidates.clear();
    for (const DeviceInfo &entry : qAsConst(portList)) {
        qDebug() << "Serialnumber " << entry.serialNumber.toLower();
        const int f = DeviceFamily::of(entry.serialNumber);
        if (f == DeviceFamily::None)
            continue;
        if (!preferredSerial.isEmpty() && entry.serialNumber.compare(preferredSerial, Qt::CaseInsensitive) != 0)
            continue;
        if (f == DeviceFamily::Vortiq)
            qDebug("it is a vortiq device");
        family = f;
        qDebug() << "found dev " << f;
        candidates.append(entry);
    }
    if (candidates.isEmpty())
        return false;
    // Waiting for a busy device the user chose: it is taken again without asking.
    if (busyRule.retrying()) {
        for (const DeviceInfo &candidate : qAsConst(candidates)) {
            if (candidate.serialNumber == retrySerial) {
                chosen = candidate;
                return true;
            }
        }
        busyRule.deviceFree();   // it is gone: whatever comes next is asked about anew
    }
    if (candidates.size() == 1) {
        chosen = candidates.first();
        return true;
    }
    ask(Question::Choice, 0);
    emit deviceChoiceQuestion(candidates);
    return true;
}

int ConnectionMachine::openCandidate()
{
    qDebug("try to open");
    if (activeLink->isOpen())
        activeLink->close();
    if (activeLink->open(chosen)) {
        switchState(2);
        setLogo(":/images/edit-find-7.png");
    } else {
        qDebug("could not open device");
    }
    return 200;
}

int ConnectionMachine::stepOpening()
{
    if (portOpened) {
        qDebug("Port was found");
        setLogo(family == 2 ? ":/images/device-kestrova.png" : ":/images/device-vortiq.jpg");
        switchState(3);
        portOpened = false;
    }
    if (deviceBusy) {
        qDebug("device is busy");
        deviceBusy = false;
        switchState(0);
        return deviceIsBusy(tr("Device found\nbut device is busy\nPlease stop programs, who claims it.\n\nExit Program?"),
                            100);
    }
    if (activeLink->isDeviceDisconnected()) {
        switchState(0);
        activeLink->close();
        return 500;
    }
    return usingUdp() ? 100 : 20;
}

int ConnectionMachine::stepIdentify()
{
    if (!activeLink->isOpen()) {
        qDebug("##### open error this should never happen");
        return 2000;
    }
    if (activeLink->pendingCommands() == 0) {
        sendQuery("conf:sca:num?");
        sendQuery("*idn?");
    }
    if (activeLink->isDeviceDisconnected()) {
        emit statusMessage(tr("Device was disconnected"));
        switchState(0);
    } else {
        portOpened = false;
        switchState(4);
    }
    return usingUdp() ? 2000 : 500;
}

bool ConnectionMachine::deviceLost()
{
    return activeLink->isDeviceDisconnected();
}

void ConnectionMachine::forgetDevice()
{
    portOpened = false;
    deviceInfoReceived = false;
    switchState(0);
    imus = auxWords = CountState();
    nAdc24 = nAdc16 = 0;
    unusableCounts.clear();
}

void ConnectionMachine::onOpenResultss(bool success)
{
    qDebug() << "onopenresults() " << (success ? "true" : "false");
    portOpened = success;
    deviceBusy = !success;
    if (success)
        busyRule.deviceFree();
}

void ConnectionMachine::onCommunicationResponse(bool success, QByteArray command, QByteArray response)
{
    if (!success) {
        qDebug() << "onCommunicationResponse() cmd " << command << " had no success";
        // What follows "abort" is the tail of the stream it ended, not a refusal.
        if (command.trimmed().compare("abort", Qt::CaseInsensitive) != 0)
            emit commandFailed(command, response);
        return;
    }
    if (command.contains("*idn?")) {
        idnString = QString::fromLatin1(response);
        qDebug() << "dbgTim = " << sinceConstruction.elapsed() << "got \"*idn?\" response: " << response;
    } else if (command.contains("mem:raw?")) {
        qDebug() << "onCommunicationResponse() got mem:raw? n = " << response.size();
        emit memoryRead(response);
    } else if (command.contains("conf:sca:num?")) {
        handleChannelCounts(response);
    }
}

// A reported IMU or AUX count that differs from the last reported one replaces it (0
// above the limit) and invalidates the configuration. The user is told once per change:
// about a count beyond the limit always, about another change unless it is the first.
void ConnectionMachine::takeOverCount(int reported, int limit, CountState &state, const char *what,
                                      const QString &changedWarning, const QString &tooManyWarning)
{
    if (reported == state.reported)
        return;
    state.reported = reported;
    state.count = reported <= limit ? reported : 0;
    qDebug() << "new configuration of" << what << reported << what << "detected";
    if (reported > limit)
        emit message(Acquisition::Event::ChannelCountChanged, tooManyWarning.arg(reported).arg(limit));
    else if (state.known)
        emit message(Acquisition::Event::ChannelCountChanged, changedWarning);
    state.known = true;
    emit channelCountChanged();
}

void ConnectionMachine::handleChannelCounts(const QByteArray &response)
{
    portOpened = true;
    const ChannelCounts c = ChannelCounts::parse(response);
    qDebug() << "devices adc16 " << nAdc16 << " nAdc24 " << nAdc24 << " nImu " << imus.count << " nAux "
             << auxWords.count;
    if (!c.valid) {
        // A device fault: never used, told once for as long as the device keeps saying it.
        qDebug() << "unusable channel counts:" << response;
        if (response != unusableCounts) {
            unusableCounts = response;
            emit message(Acquisition::Event::ChannelCountsInvalid,
                         tr("The device reported channel counts that cannot be right:\n%1\n"
                            "They are not used. Please check the device.")
                             .arg(readableAnswer(response)));
        }
        return;
    }
    unusableCounts.clear();
    if (c.adc24 == nAdc24 && c.adc16 == nAdc16 && c.imu == imus.reported && c.aux == auxWords.reported) {
        qDebug("no new information");
        return;
    }
    qDebug() << "found devices adc16 " << c.adc16 << " nAdc24 " << c.adc24 << " nImu " << c.imu << " nAux "
             << c.aux;
    nAdc24 = c.adc24;
    nAdc16 = c.adc16;
    const bool wasReceived = deviceInfoReceived;
    deviceInfoReceived = true;

    takeOverCount(c.imu, 4, imus, "IMUs", tr("Number of Imu Devices changed\nPlease configure now."),
                  tr("The device reports %1 IMUs; at most %2 are supported.\nIts IMUs are not used."));
    takeOverCount(c.aux, 15, auxWords, "Aux", tr("Number of Aux Devices changed\nPlease configure now."),
                  tr("The device reports %1 AUX words; at most %2 are supported.\nIts AUX input is not used."));
    if (!wasReceived)
        emit deviceDescribed();
}
