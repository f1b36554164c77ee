#include "termsettingsstore.h"

#include <QSettings>

QStringList TermSettingsStore::defaultKeys()
{
    QStringList keys;
    for (int i = 1; i <= macroCount; ++i)
        keys << QStringLiteral("F%1").arg(i);
    return keys;
}

void TermSettingsStore::load(QSettings &store)
{
    pos = store.value(QStringLiteral("pos"), QPoint(200, 200)).toPoint();
    size = store.value(QStringLiteral("size"), QSize(600, 400)).toSize();
    baudRate = store.value(QStringLiteral("baudrate"), 9600u).toUInt();
    localEcho = store.value(QStringLiteral("localecho"), false).toBool();
    crlf = store.value(QStringLiteral("isCRLF"), false).toBool();
    timeStamps = store.value(QStringLiteral("timestamps"), false).toBool();
    keyList.clear();
    for (int i = 1; i <= macroCount; ++i) {
        const QString fallback = QStringLiteral("F%1").arg(i);
        keyList << store.value(QStringLiteral("keyF%1").arg(i), fallback).toString();
    }
}

void TermSettingsStore::save(QSettings &store, bool writeBaudRate, bool writeLocalEcho) const
{
    store.setValue(QStringLiteral("pos"), pos);
    store.setValue(QStringLiteral("size"), size);
    if (writeBaudRate)
        store.setValue(QStringLiteral("baudrate"), baudRate);
    if (writeLocalEcho)
        store.setValue(QStringLiteral("localecho"), localEcho);
    store.setValue(QStringLiteral("isCRLF"), crlf);
    store.setValue(QStringLiteral("timestamps"), timeStamps);
    for (int i = 1; i <= macroCount; ++i)
        store.setValue(QStringLiteral("keyF%1").arg(i), keyList.value(i - 1));
}
