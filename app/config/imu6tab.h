#pragma once

#include "channeltab.h"
#include "imuchannel.h"

class QComboBox;

// The page of the device's IMUs: per IMU a check box, range boxes and a name.
class imu6Tab : public channelTab
{
    Q_OBJECT

public:
    imu6Tab(int count, const QVector<imuChannel> &imus, QWidget *parent = nullptr);

    QComboBox *accBox(int index) const { return m_accBoxes.at(index); }
    QComboBox *gyroBox(int index) const { return m_gyroBoxes.at(index); }
    // The range list entries at the boxes' current indexes.
    double accRange(int index) const;
    double gyroRange(int index) const;

    static QVector<double> accRanges();   // g
    static QVector<double> gyroRanges();  // grad/s

private:
    static QComboBox *rangeBox(const QVector<double> &values, double current);

    QVector<QComboBox *> m_accBoxes;
    QVector<QComboBox *> m_gyroBoxes;
};
