#include "actionset.h"

ActionSet::ActionSet(QObject *parent) : QObject(parent)
{
}

void ActionSet::set(int open, int newConf, int save, int configuration, int wifi, int start, int stop,
                    int record, int exit)
{
    const QPair<Action, int> all[] = {{Open, open},   {New, newConf}, {Save, save}, {Configuration, configuration},
                                      {Wifi, wifi},   {Start, start}, {Stop, stop}, {Record, record},
                                      {Exit, exit}};
    Actions next = current;
    for (const auto &a : all) {
        if (a.second >= 0)
            next.setFlag(a.first, a.second == 1);
    }
    apply(next);
}

void ActionSet::setEnabled(Action action, bool on)
{
    Actions next = current;
    next.setFlag(action, on);
    apply(next);
}

void ActionSet::setRecording(bool recording)
{
    Actions next = current;
    next.setFlag(DeleteConfig, !recording);
    next.setFlag(DeleteData, !recording);
    next.setFlag(Marker, recording);
    apply(next);
}

void ActionSet::apply(Actions next)
{
    if (next == current)
        return;
    current = next;
    emit changed(current);
}
