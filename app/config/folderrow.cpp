#include "folderrow.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FolderRow::FolderRow(QWidget *parent) : QWidget(parent)
{
    m_edit = new QLineEdit(this);
    m_edit->setReadOnly(true);
    auto *browseButton = new QPushButton(tr("Browse..."), this);
    connect(browseButton, &QPushButton::clicked, this, &FolderRow::browse);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(tr("Folder:"), this));
    row->addWidget(m_edit, 1);
    row->addWidget(browseButton);
}

void FolderRow::setFolder(const QString &path)
{
    m_folder = path;
    m_edit->setText(QDir::toNativeSeparators(path));
}

void FolderRow::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Choose a folder"), m_folder);
    if (chosen.isEmpty())
        return;
    setFolder(chosen);
    emit folderChosen(chosen);
}
