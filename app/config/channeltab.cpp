#include "channeltab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

channelTab::channelTab(QWidget *parent) : QWidget(parent)
{
}

bool channelTab::isChecked(int index) const
{
    return m_checkBoxes.at(index)->isChecked();
}

QByteArray channelTab::name(int index) const
{
    return m_nameFields.at(index)->text().toUtf8();
}

void channelTab::checkboxclicked()
{
    int pressed = -1;
    for (int i = 0; i < m_checkBoxes.size() && pressed < 0; ++i) {
        if (m_checkBoxes.at(i)->isDown())
            pressed = i;
    }
    if (pressed < 0)
        return;
    for (int i = 0; i < m_checkBoxes.size(); ++i) {
        if (i != pressed)
            m_checkBoxes.at(i)->setChecked(i < pressed);
    }
}

void channelTab::addChannelRow(QGridLayout *grid, int k, bool checked, const QString &name, int nameColumn)
{
    auto *box = new QCheckBox;
    box->setChecked(checked);
    connect(box, SIGNAL(pressed()), this, SLOT(checkboxclicked()));
    auto *field = new QLineEdit(name);
    grid->addWidget(box, k, 0);
    grid->addWidget(new QLabel(tr("ch %1").arg(k)), k, 1);
    grid->addWidget(field, k, nameColumn);
    m_checkBoxes.append(box);
    m_nameFields.append(field);
}

void channelTab::addHeader(QGridLayout *grid, int column, const QString &text)
{
    grid->addWidget(new QLabel(text), 0, column);
}

void channelTab::buildAdcGrid(int count, const QVector<adcChannel> &channels)
{
    auto *grid = new QGridLayout(this);
    addHeader(grid, 1, tr("<b>ch</b>"));
    addHeader(grid, 2, tr("<b>name</b>"));
    for (int k = 1; k <= count; ++k) {
        const bool stored = k <= channels.size();
        const QString name = stored ? QString::fromUtf8(channels.at(k - 1).name)
                                    : QStringLiteral("adc_%1").arg(k);
        addChannelRow(grid, k, stored, name, 2);
    }
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), count + 1, 0);
}
