#include "graphicsdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

graphicsDialog::graphicsDialog(QWidget *parent, const GraphConf &record)
    : QDialog(parent), grconf(record)
{
    setWindowTitle(QStringLiteral("Kestrova"));
    titleLabel = new QLabel(tr("Edit Graphic: ") + QString::number(grconf.id + 1), this);
    showOneBox = new QCheckBox(tr("Show only this graph"), this);
    accButton = new QRadioButton(tr("Display Acc"), this);
    gyroButton = new QRadioButton(tr("Display Gyro"), this);
    eulerButton = new QRadioButton(tr("Display Euler"), this);
    autoscaleBox = new QCheckBox(tr("Autoscaling"), this);

    auto *group = new QButtonGroup(this);
    group->addButton(accButton);
    group->addButton(gyroButton);
    group->addButton(eulerButton);
    accButton->setChecked(grconf.displayAcc);
    gyroButton->setChecked(!grconf.displayAcc);
    autoscaleBox->setChecked(grconf.autoscale);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, SIGNAL(accepted()), this, SLOT(accept()));
    connect(buttons, SIGNAL(rejected()), this, SLOT(reject()));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addSpacing(25);
    layout->addWidget(showOneBox);
    layout->addSpacing(25);
    if (grconf.isImu) {
        layout->addWidget(accButton);
        layout->addWidget(gyroButton);
        layout->addWidget(eulerButton);
        autoscaleBox->hide();
    } else {
        layout->addWidget(autoscaleBox);
        accButton->hide();
        gyroButton->hide();
        eulerButton->hide();
    }
    layout->addSpacing(25);
    layout->addWidget(buttons);
}

bool graphicsDialog::getparams(GraphConf &record, int &showOne)
{
    qDebug() << "dialog() input nchan: " << grconf.nchan;
    record = grconf;
    record.displayAcc = accButton->isChecked();
    record.displayEuler = eulerButton->isChecked();
    record.autoscale = autoscaleBox->isChecked();
    showOne = showOneBox->isChecked() ? grconf.id : -1;
    return true;
}
