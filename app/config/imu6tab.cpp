#include "imu6tab.h"

#include <QComboBox>
#include <QGridLayout>

namespace {

double entryAt(const QVector<double> &values, const QComboBox *box)
{
    const int index = box->currentIndex();
    return index >= 0 && index < values.size() ? values.at(index) : values.first();
}

} // namespace

imu6Tab::imu6Tab(int count, const QVector<imuChannel> &imus, QWidget *parent) : channelTab(parent)
{
    auto *grid = new QGridLayout(this);
    addHeader(grid, 1, tr("<b>ch</b>"));
    addHeader(grid, 2, tr("<b>accrange</b>"));
    addHeader(grid, 3, tr("<b>gyrorange</b>"));
    addHeader(grid, 4, tr("<b>name</b>"));
    for (int k = 1; k <= count; ++k) {
        const bool stored = k <= imus.size();
        const imuChannel imu = stored ? imus.at(k - 1) : imuChannel();
        const QString name = stored ? QString::fromUtf8(imu.name) : QStringLiteral("imu%1").arg(k);
        addChannelRow(grid, k, stored, name, 4);
        m_accBoxes.append(rangeBox(accRanges(), imu.accRange));
        m_gyroBoxes.append(rangeBox(gyroRanges(), imu.gyroRange));
        grid->addWidget(m_accBoxes.last(), k, 2);
        grid->addWidget(m_gyroBoxes.last(), k, 3);
    }
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), count + 1, 0);
}

QComboBox *imu6Tab::rangeBox(const QVector<double> &values, double current)
{
    auto *box = new QComboBox;
    for (double value : values)
        box->addItem(QString::number(value));
    box->setCurrentIndex(qMax(0, values.indexOf(current)));
    return box;
}

double imu6Tab::accRange(int index) const
{
    return entryAt(accRanges(), m_accBoxes.at(index));
}

double imu6Tab::gyroRange(int index) const
{
    return entryAt(gyroRanges(), m_gyroBoxes.at(index));
}

QVector<double> imu6Tab::accRanges()
{
    return {3, 6, 12, 24};
}

QVector<double> imu6Tab::gyroRanges()
{
    return {125, 250, 500, 1000, 2000};
}
