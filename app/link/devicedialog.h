#pragma once

#include "deviceinfo.h"

#include <QDialog>
#include <QList>

class QRadioButton;

// Lets the user pick one of several candidate devices by serial number.
class devicedialog : public QDialog
{
    Q_OBJECT

public:
    devicedialog(QWidget *parent, const QList<DeviceInfo> &devices);

    // Index of the checked candidate (the last checked one if several); 0 if none.
    qint32 selectedIndex() const;

private:
    QList<QRadioButton *> buttons;
};
