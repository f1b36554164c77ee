<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>wificonfigdialog</name>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="33"/>
        <source>&lt;b&gt;Network credentials&lt;/b&gt;</source>
        <translation>&lt;b&gt;Netzwerkzugangsdaten&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="35"/>
        <source>&lt;b&gt;Input Configuration broken&lt;p&gt;Config set to default&lt;/b&gt;</source>
        <translation>&lt;b&gt;Gelesene Konfiguration fehlerhaft&lt;p&gt;Standardwerte eingesetzt&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="36"/>
        <source>Configure as AP</source>
        <translation>Als Access Point konfigurieren</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="37"/>
        <source>Station DHCP</source>
        <translation>Station mit DHCP</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="38"/>
        <source>Station Fixed IP</source>
        <translation>Station mit fester IP</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="83"/>
        <source>AP SSID</source>
        <translation>AP-SSID</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="83"/>
        <source>AP Password</source>
        <translation>AP-Passwort</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="84"/>
        <source>AP channel</source>
        <translation>AP-Kanal</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="84"/>
        <source>Station Name</source>
        <translation>Stationsname</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="85"/>
        <source>Net SSID</source>
        <translation>Netz-SSID</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="85"/>
        <source>Net Password</source>
        <translation>Netz-Passwort</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="86"/>
        <source>IP Address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="86"/>
        <source>IP Gateway</source>
        <translation>IP-Gateway</translation>
    </message>
    <message>
        <location filename="../../app/wifi/wificonfigdialog.cpp" line="87"/>
        <source>IP NetMask</source>
        <translation>IP-Netzmaske</translation>
    </message>
</context>
</TS>
