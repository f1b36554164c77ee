#include "toolsdialog.h"

#include "termsettingsstore.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

toolsdialog::toolsdialog(QWidget *parent, ToolsRecord *record)
    : QDialog(parent), record(record)
{
    setWindowTitle(QStringLiteral("corvun"));
    auto *group = new QGroupBox(tr("Parameter"), this);
    auto *form = new QFormLayout(group);
    for (int i = 0; i < TermSettingsStore::macroCount; ++i) {
        auto *edit = new QLineEdit(record->keyList.value(i), group);
        edit->setObjectName(QStringLiteral("keyF%1").arg(i + 1));
        edit->setMinimumWidth(300);
        form->addRow(QStringLiteral("F%1").arg(i + 1), edit);
        keyEdits << edit;
    }
    crlfBox = new QCheckBox(tr("send CRLF instead of LF"), this);
    crlfBox->setObjectName(QStringLiteral("crlfBox"));
    crlfBox->setChecked(record->crlf);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, SIGNAL(accepted()), this, SLOT(accept()));
    connect(buttons, SIGNAL(rejected()), this, SLOT(reject()));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(crlfBox);
    layout->addWidget(buttons);
}

bool toolsdialog::readBack()
{
    record->crlf = crlfBox->isChecked();
    record->keyList.clear();
    for (QLineEdit *edit : qAsConst(keyEdits))
        record->keyList << edit->text();
    return true;
}
