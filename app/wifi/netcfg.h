#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The device's network settings as it keeps them in non-volatile memory: 425 bytes,
// packed, integers little-endian, texts zero-terminated inside fixed-width fields.
// Held as raw bytes so that a record read from the device goes back byte for byte.
class netCfg
{
public:
    static constexpr int recordSize = 425;
    static constexpr quint32 magicValue = 0x12345678u;

    // Offsets of the integer fields and the reserved byte.
    static constexpr int magicOffset = 0;
    static constexpr int isAPOffset = 4;
    static constexpr int apChannelOffset = 8;
    static constexpr int isFixedIPOffset = 12;
    static constexpr int reservedOffset = 424;

    // Text fields; offsetOf/widthOf give where each lives.
    enum TextField { ipAddress, ipGateway, ipNetmask, stationName, netSsid, netPassword,
                     apSsid, apPassword, apAddress };
    static int offsetOf(TextField field);
    static int widthOf(TextField field);

    // The values a user edits, as texts (the channel too), plus the chosen mode.
    struct EditedValues
    {
        qint32 isAP = 1;
        qint32 isFixedIP = 0;
        QString apSsid, apPassword, apChannel, netPassword, netSsid, stationName;
        QString ipAddress, ipGateway, ipNetmask;
    };

    // The factory defaults.
    netCfg();

    // At least a whole record that starts with the validity mark.
    static bool isValidInput(const QByteArray &input);
    // The first 425 bytes of a valid input; the defaults otherwise.
    static netCfg fromInput(const QByteArray &input);

    // A fresh record from edited values: all zero but the mode, the texts, the channel
    // and the mark. Empty when any text does not fit its field with a terminator.
    static QByteArray build(const EditedValues &values);

    // Writes `bytes` as they are to "config.wifi" in `folder`. False on any file error.
    static bool saveWifiConfig(const QString &folder, const QByteArray &bytes);

    quint32 magic() const;
    qint32 isAP() const;
    qint32 apChannel() const;
    qint32 isFixedIP() const;
    // The text up to its terminator (or the whole field when none).
    QString text(TextField field) const;
    const QByteArray &bytes() const { return m_bytes; }

private:
    explicit netCfg(const QByteArray &record) : m_bytes(record) {}

    qint32 intAt(int offset) const;
    void setInt(int offset, quint32 value);
    bool setText(TextField field, const QString &value);

    QByteArray m_bytes;
};
