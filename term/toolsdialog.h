#pragma once

#include "toolsrecord.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLineEdit;

// Edits the ten function-key macros and the line-end choice.
class toolsdialog : public QDialog
{
    Q_OBJECT

public:
    // record must outlive the dialog; it is written only by readBack().
    toolsdialog(QWidget *parent, ToolsRecord *record);

    bool readBack();

private:
    ToolsRecord *record;
    QList<QLineEdit *> keyEdits;
    QCheckBox *crlfBox = nullptr;
};
