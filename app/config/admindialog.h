#pragma once

#include <QDialog>
#include <QStringList>

class FolderRow;
class QStandardItemModel;
class QTableView;

// Lets the user pick one or several files of a folder. The folder is shown above the
// list; Browse... lists another one.
class adminDialog : public QDialog
{
    Q_OBJECT

public:
    // Lists the plain files of `folder` that match one of `nameFilters` and are not
    // named (as full paths) in `excluded`.
    adminDialog(QWidget *parent, const QString &folder, bool singleSelection, const QString &header,
                const QStringList &nameFilters = QStringList{"*.*"}, const QStringList &excluded = QStringList());

    // Folder + "/" + name of every selected row, in selection order.
    QStringList getparams() const;
    QString folder() const;

public slots:
    // Lists `path` instead (what Browse... leads to).
    void setFolder(const QString &path);

private:
    void listFiles();

    QStringList filters;
    QStringList excludedPaths;
    bool single = false;
    QStringList files;
    FolderRow *folderRow = nullptr;
    QTableView *table = nullptr;
    QStandardItemModel *model = nullptr;
};
