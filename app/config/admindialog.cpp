#include "admindialog.h"
#include "folderrow.h"

#include <QDebug>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// One name for one file, however the path to it was written.
QString identity(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
}

adminDialog::adminDialog(QWidget *parent, const QString &folder, bool singleSelection, const QString &header,
                         const QStringList &nameFilters, const QStringList &excluded)
    : QDialog(parent), filters(nameFilters), single(singleSelection)
{
    setWindowTitle("Kestrova");
    for (const QString &path : excluded)
        excludedPaths << identity(path);

    folderRow = new FolderRow(this);
    folderRow->setFolder(folder);
    connect(folderRow, &FolderRow::folderChosen, this, &adminDialog::listFiles);

    model = new QStandardItemModel(0, 1, this);
    table = new QTableView(this);
    table->setModel(model);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (single)
        table->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    if (!header.isEmpty())
        layout->addWidget(new QLabel(header, this));
    layout->addWidget(folderRow);
    layout->addWidget(table);
    layout->addSpacing(25);
    layout->addWidget(buttons);
    resize(520, 360);
    listFiles();
}

QString adminDialog::folder() const
{
    return folderRow->folder();
}

void adminDialog::setFolder(const QString &path)
{
    folderRow->setFolder(path);
    listFiles();
}

void adminDialog::listFiles()
{
    files.clear();
    const QDir dir(folder());
    for (const QString &name : dir.entryList(filters, QDir::Files, QDir::Name))
        if (!excludedPaths.contains(identity(dir.filePath(name))))
            files << name;
    qDebug() << "cfgfiles:" << files;
    model->clear();
    model->setColumnCount(1);
    for (const QString &name : files)
        model->appendRow(new QStandardItem(name));
    if (single && !files.isEmpty())
        table->selectRow(0);
}

QStringList adminDialog::getparams() const
{
    QStringList paths;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    for (const QModelIndex &index : rows) {
        const QString name = model->item(index.row(), 0)->text();
        qDebug() << "selected were " << index.row() << "value = " << name;
        paths << folder() + "/" + name;
    }
    qDebug() << "getparams returns " << paths;
    return paths;
}
