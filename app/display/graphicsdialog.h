#pragma once

#include "graphconf.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QRadioButton;

// Edits one graph's display options; the plot area reads the result back with getparams.
class graphicsDialog : public QDialog
{
    Q_OBJECT

public:
    graphicsDialog(QWidget *parent, const GraphConf &record);

    bool getparams(GraphConf &record, int &showOne);

private:
    GraphConf grconf;
    QLabel *titleLabel;
    QCheckBox *showOneBox;
    QRadioButton *accButton;
    QRadioButton *gyroButton;
    QRadioButton *eulerButton;
    QCheckBox *autoscaleBox;
};
