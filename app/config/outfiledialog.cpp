#include "outfiledialog.h"
#include "folderrow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

outfiledialog::outfiledialog(QWidget *parent, const QString &folder)
    : QDialog(parent)
{
    setWindowTitle("Kestrova");
    folderRow = new FolderRow(this);
    folderRow->setFolder(folder);

    edit = new QLineEdit("untitled", this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Save Config"), this));
    layout->addSpacing(25);
    layout->addWidget(folderRow);
    layout->addWidget(edit);
    layout->addSpacing(25);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

QString outfiledialog::folder() const
{
    return folderRow->folder();
}

void outfiledialog::setFolder(const QString &path)
{
    folderRow->setFolder(path);
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
