#include "admindialog.h"

#include <QDebug>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

adminDialog::adminDialog(QWidget *parent, const QString &folderPath, bool singleSelection, const QString &header)
    : QDialog(parent), folder(folderPath)
{
    setWindowTitle("Kestrova");
    files = QDir(folder).entryList(QStringList{"*.*"}, QDir::Files, QDir::Unsorted);
    qDebug() << "cfgfiles:" << files;

    model = new QStandardItemModel(files.size(), 1, this);
    for (int i = 0; i < files.size(); ++i)
        model->setItem(i, 0, new QStandardItem(files.at(i)));
    table = new QTableView(this);
    table->setModel(model);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (singleSelection) {
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        if (!files.isEmpty())
            table->selectRow(0);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    if (!header.isEmpty())
        layout->addWidget(new QLabel(header, this));
    layout->addWidget(table);
    layout->addSpacing(25);
    layout->addWidget(buttons);
}

QStringList adminDialog::getparams() const
{
    QStringList paths;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    for (const QModelIndex &index : rows) {
        const QString name = model->item(index.row(), 0)->text();
        qDebug() << "selected were " << index.row() << "value = " << name;
        paths << folder + "/" + name;
    }
    qDebug() << "getparams returns " << paths;
    return paths;
}
