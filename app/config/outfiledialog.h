#pragma once

#include <QDialog>

class FolderRow;
class QLineEdit;

// Asks for the name of a configuration file to save, in the folder shown above the
// name; Browse... chooses another folder.
class outfiledialog : public QDialog
{
    Q_OBJECT

public:
    outfiledialog(QWidget *parent, const QString &folder);

    // The entered name with ".conf" appended when missing. False when the entry holds a
    // folder part or is empty.
    bool getparams(QString &name) const;
    // Where the file goes.
    QString folder() const;

    QLineEdit *nameEdit() const { return edit; }

public slots:
    void setFolder(const QString &path);

private:
    FolderRow *folderRow = nullptr;
    QLineEdit *edit = nullptr;
};
