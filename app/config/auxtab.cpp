#include "auxtab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

auxTab::auxTab(int32_t activeWords, QWidget *parent) : QWidget(parent)
{
    auto *grid = new QGridLayout(this);
    m_activate = new QCheckBox(tr("activate Aux Device"));
    m_activate->setChecked(activeWords > 0);
    if (activeWords > 0)
        m_activeWords = activeWords;
    m_name = new QLineEdit(QStringLiteral("testAux"));
    grid->addWidget(m_activate, 0, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Name")), 1, 0);
    grid->addWidget(m_name, 1, 1);
    grid->addWidget(new QLabel(tr("device has 2 channels")), 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
}

bool auxTab::isActivated() const
{
    return m_activate->isChecked();
}

int32_t auxTab::words() const
{
    return isActivated() ? m_activeWords : 0;
}
