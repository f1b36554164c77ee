#pragma once

#include <QDialog>
#include <QStringList>

class QStandardItemModel;
class QTableView;

// Lets the user pick one or several files of a folder.
class adminDialog : public QDialog
{
    Q_OBJECT

public:
    adminDialog(QWidget *parent, const QString &folder, bool singleSelection, const QString &header);

    // Folder + "/" + name of every selected row, in selection order.
    QStringList getparams() const;

private:
    QString folder;
    QStringList files;
    QTableView *table = nullptr;
    QStandardItemModel *model = nullptr;
};
