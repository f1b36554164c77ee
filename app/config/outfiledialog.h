#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the name of a configuration file to save.
class outfiledialog : public QDialog
{
    Q_OBJECT

public:
    outfiledialog(QWidget *parent, const QString &folder);

    // The entered name with ".conf" appended when missing. False when the entry holds a
    // folder part or is empty.
    bool getparams(QString &name) const;

    QLineEdit *nameEdit() const { return edit; }

private:
    QLineEdit *edit = nullptr;
};
