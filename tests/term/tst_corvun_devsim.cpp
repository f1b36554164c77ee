#include <QtTest>
class tst_CorvunDevsim : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() { QSKIP("devsim not merged yet"); }
};
QTEST_MAIN(tst_CorvunDevsim)
#include "tst_corvun_devsim.moc"
