#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>

ModalAnswerer::ModalAnswerer()
{
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start(20);
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        texts << box->windowTitle() + "|" + box->text();
        if (onBox && onBox(box))
            return;
        for (auto b : {QMessageBox::Retry, QMessageBox::No, QMessageBox::Discard, QMessageBox::Cancel, QMessageBox::Ok,
                       QMessageBox::Yes}) {
            if (QAbstractButton *button = box->button(b))
                return button->click();
        }
        box->reject();
    } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
        dialogs << dialog->metaObject()->className();
        if (!onDialog || !onDialog(dialog))
            dialog->accept();
    }
}
