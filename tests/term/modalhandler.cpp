#include "modalhandler.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

ModalHandler::ModalHandler()
{
    connect(&timer, &QTimer::timeout, this, &ModalHandler::poll);
    timer.start(50);
}

void ModalHandler::accept(QWidget *w)
{
    if (auto *box = qobject_cast<QMessageBox *>(w))
        box->done(QMessageBox::Ok);
    else if (auto *dialog = qobject_cast<QDialog *>(w))
        dialog->accept();
}

void ModalHandler::reject(QWidget *w)
{
    if (auto *dialog = qobject_cast<QDialog *>(w))
        dialog->reject();
}

void ModalHandler::poll()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w || w == last || pending.empty())
        return;
    // A closed dialog object may be reused at the same address; look again next time.
    last = w;
    QString text = QString::fromLatin1(w->metaObject()->className());
    if (auto *box = qobject_cast<QMessageBox *>(w))
        text += QLatin1Char(':') + box->text();
    texts << text;
    Handler h = std::move(pending.front());
    pending.pop();
    ++handledCount;
    h(w);
    last = nullptr;
}
