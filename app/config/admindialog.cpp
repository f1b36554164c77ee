#include "admindialog.h"

#include <QDebug>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    : QDialog(parent), folderPath(folder), filters(nameFilters), single(singleSelection)
{
    setWindowTitle("Kestrova");
    for (const QString &path : excluded)
        excludedPaths << identity(path);

    folderEdit = new QLineEdit(this);
    folderEdit->setReadOnly(true);
    auto *browseButton = new QPushButton(tr("Browse..."), this);
    connect(browseButton, &QPushButton::clicked, this, &adminDialog::browse);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(tr("Folder:"), this));
    folderRow->addWidget(folderEdit, 1);
    folderRow->addWidget(browseButton);

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
    layout->addLayout(folderRow);
    layout->addWidget(table);
    layout->addSpacing(25);
    layout->addWidget(buttons);
    resize(520, 360);
    listFiles();
}

void adminDialog::setFolder(const QString &path)
{
    folderPath = path;
    listFiles();
}

void adminDialog::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Choose a folder"), folderPath);
    if (!chosen.isEmpty())
        setFolder(chosen);
}

void adminDialog::listFiles()
{
    folderEdit->setText(QDir::toNativeSeparators(folderPath));
    files.clear();
    const QDir dir(folderPath);
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
        paths << folderPath + "/" + name;
    }
    qDebug() << "getparams returns " << paths;
    return paths;
}
