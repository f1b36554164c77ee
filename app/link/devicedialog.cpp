#include "devicedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

devicedialog::devicedialog(QWidget *parent, const QList<DeviceInfo> &devices) : QDialog(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("found multiple devices. (SN = Serialnumber)"), this));
    layout->addSpacing(25);
    bool checked = false;
    for (const DeviceInfo &device : devices) {
        QString text = tr("SN = ") + device.serialNumber;
        if (device.busy)
            text += tr("   BUSY!!!");
        auto *button = new QRadioButton(text, this);
        // Busy devices stay selectable; the first free one is the suggestion.
        if (!checked && !device.busy) {
            button->setChecked(true);
            checked = true;
        }
        layout->addWidget(button);
        buttons.append(button);
    }
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
}

qint32 devicedialog::selectedIndex() const
{
    qint32 index = 0;
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i)->isChecked())
            index = i;
    }
    return index;
}
