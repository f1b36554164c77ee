#include "channeltab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "configlimits.h"
#include "namevalidator.h"

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

QString channelTab::nameProblem(const QString &kind) const
{
    for (int i = 0; i < m_nameFields.size(); ++i) {
        if (!isChecked(i))
            continue;
        const QString why = ConfigLimits::nameProblem(m_nameFields.at(i)->text());
        if (!why.isEmpty())
            return tr("%1 channel %2: %3").arg(kind).arg(i + 1).arg(why);
    }
    return QString();
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
    connect(box, &QCheckBox::toggled, this, &channelTab::edited);
    // A stored name is shown as it is, even one the file could not carry: the dialog
    // refuses it on OK and says why, rather than changing it unseen.
    auto *field = new QLineEdit(name);
    auto *validator = new NameValidator(field);
    field->setValidator(validator);
    const int index = m_nameFields.size();
    connect(field, &QLineEdit::inputRejected, this,
            [this, validator, index] { emit nameRefused(index, validator->lastRefusal()); });
    connect(field, &QLineEdit::textEdited, this, &channelTab::edited);
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
