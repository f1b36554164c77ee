<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>auxTab</name>
    <message>
        <location filename="../../app/config/auxtab.cpp" line="11"/>
        <source>activate Aux Device</source>
        <translation>Aux-Gerät aktivieren</translation>
    </message>
    <message>
        <location filename="../../app/config/auxtab.cpp" line="14"/>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location filename="../../app/config/auxtab.cpp" line="16"/>
        <source>device has 2 channels</source>
        <translation>Gerät hat 2 Kanäle</translation>
    </message>
</context>
<context>
    <name>channelTab</name>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="44"/>
        <source>ch %1</source>
        <translation>Kanal %1</translation>
    </message>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="58"/>
        <source>&lt;b&gt;ch&lt;/b&gt;</source>
        <translation>&lt;b&gt;Kanal&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="59"/>
        <source>&lt;b&gt;name&lt;/b&gt;</source>
        <translation>&lt;b&gt;Name&lt;/b&gt;</translation>
    </message>
</context>
<context>
    <name>generalTab</name>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="44"/>
        <source>Samplerate</source>
        <translation>Abtastrate</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="46"/>
        <source>Measurement</source>
        <translation>Messung</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="54"/>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="54"/>
        <source>timeline</source>
        <translation>Zeitfenster</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="63"/>
        <source>Record duration (0=infinity)</source>
        <translation>Aufnahmedauer (0=unbegrenzt)</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="63"/>
        <source>max duration</source>
        <translation>max. Dauer</translation>
    </message>
</context>
<context>
    <name>imu6Tab</name>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="19"/>
        <source>&lt;b&gt;ch&lt;/b&gt;</source>
        <translation>&lt;b&gt;Kanal&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="20"/>
        <source>&lt;b&gt;accrange&lt;/b&gt;</source>
        <translation>&lt;b&gt;Beschl.-Bereich&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="21"/>
        <source>&lt;b&gt;gyrorange&lt;/b&gt;</source>
        <translation>&lt;b&gt;Gyro-Bereich&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="22"/>
        <source>&lt;b&gt;name&lt;/b&gt;</source>
        <translation>&lt;b&gt;Name&lt;/b&gt;</translation>
    </message>
</context>
<context>
    <name>tabdialog</name>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="23"/>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="26"/>
        <source>ADC24</source>
        <translation>ADC24</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="30"/>
        <source>ADC16</source>
        <translation>ADC16</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="34"/>
        <source>IMU 6</source>
        <translation>IMU 6</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="38"/>
        <source>Aux</source>
        <translation>Aux</translation>
    </message>
</context>
</TS>
