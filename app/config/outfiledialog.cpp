#include "outfiledialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

outfiledialog::outfiledialog(QWidget *parent, const QString &folder)
    : QDialog(parent)
{
    setWindowTitle("Kestrova");
    folderEdit = new QLineEdit(this);
    folderEdit->setReadOnly(true);
    auto *browseButton = new QPushButton(tr("Browse..."), this);
    connect(browseButton, &QPushButton::clicked, this, &outfiledialog::browse);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(tr("Folder:"), this));
    folderRow->addWidget(folderEdit, 1);
    folderRow->addWidget(browseButton);
    setFolder(folder);

    edit = new QLineEdit("untitled", this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Save Config"), this));
    layout->addSpacing(25);
    layout->addLayout(folderRow);
    layout->addWidget(edit);
    layout->addSpacing(25);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

void outfiledialog::setFolder(const QString &path)
{
    folderPath = path;
    folderEdit->setText(QDir::toNativeSeparators(path));
}

void outfiledialog::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Choose a folder"), folderPath);
    if (!chosen.isEmpty())
        setFolder(chosen);
}

bool outfiledialog::getparams(QString &name) const
{
    QString text = edit->text();
    const bool empty = text.isEmpty();
    if (!text.endsWith(".conf"))
        text += ".conf";
    const int slash = qMax(text.lastIndexOf('/'), text.lastIndexOf('\\'));
    name = text.mid(slash + 1);
    return name == text && !empty;
}
