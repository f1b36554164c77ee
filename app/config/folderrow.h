#pragma once

#include <QWidget>

class QLineEdit;

// "Folder:", the folder shown read-only, and a Browse button that lets the user choose
// another one: the top row of the file dialogs.
class FolderRow : public QWidget
{
    Q_OBJECT

public:
    explicit FolderRow(QWidget *parent = nullptr);

    QString folder() const { return m_folder; }
    void setFolder(const QString &path);

signals:
    // The user browsed to another folder (already shown).
    void folderChosen(const QString &path);

private:
    void browse();

    QString m_folder;
    QLineEdit *m_edit = nullptr;
};
