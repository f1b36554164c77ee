<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../../term/mainwindow.cpp" line="55"/>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="152"/>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="152"/>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="154"/>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="154"/>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="156"/>
        <source>&amp;Disconnect</source>
        <translation>&amp;Trennen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="156"/>
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="158"/>
        <source>&amp;Clear</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="158"/>
        <source>Clear Screen</source>
        <translation>Bildschirm löschen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="160"/>
        <source>&amp;Log2file</source>
        <translation>&amp;Protokolldatei</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="161"/>
        <source>Logging to file (on/off)</source>
        <translation>Protokoll in Datei (ein/aus)</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="162"/>
        <source>&amp;Tools</source>
        <translation>&amp;Werkzeuge</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="162"/>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="164"/>
        <source>&amp;DTR</source>
        <translation>&amp;DTR</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="164"/>
        <source>toggle DTR line</source>
        <translation>DTR-Leitung umschalten</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="166"/>
        <source>&amp;RTS</source>
        <translation>&amp;RTS</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="166"/>
        <source>toggle RTS line</source>
        <translation>RTS-Leitung umschalten</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="171"/>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="173"/>
        <source>Show received bytes as hexadecimal (F11 on, F12 off)</source>
        <translation>Empfangene Bytes hexadezimal anzeigen (F11 ein, F12 aus)</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="175"/>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="177"/>
        <source>Begin every received line with the time it arrived</source>
        <translation>Jede empfangene Zeile mit ihrer Ankunftszeit beginnen</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="185"/>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="254"/>
        <source>The log file %1 cannot be written (%2). Logging is off.</source>
        <translation>Die Protokolldatei %1 kann nicht geschrieben werden (%2). Die Protokollierung ist aus.</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="270"/>
        <source>Logging to %1</source>
        <translation>Protokoll in %1</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="314"/>
        <source>onConnect: open serialport failed
serialport reports: </source>
        <translation>onConnect: Öffnen der seriellen Schnittstelle fehlgeschlagen
Die Schnittstelle meldet: </translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="315"/>
        <source>
Baudrate was </source>
        <translation>
Die Baudrate war </translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="317"/>
        <source>Open Error on serial port</source>
        <translation>Fehler beim Öffnen der seriellen Schnittstelle</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="335"/>
        <source>Connected: localecho on</source>
        <translation>Verbunden: lokales Echo ein</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="336"/>
        <source>Connected: localecho off</source>
        <translation>Verbunden: lokales Echo aus</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="337"/>
        <source>connected to %1 at %2 baud</source>
        <translation>verbunden mit %1, %2 Baud</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="360"/>
        <source>disconnected</source>
        <translation>getrennt</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="362"/>
        <source>Disconnected</source>
        <translation>Getrennt</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="391"/>
        <source>connection lost, waiting for the device</source>
        <translation>Verbindung verloren, warte auf das Gerät</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="409"/>
        <source>Try to autoconnect</source>
        <translation>Versuche automatisch zu verbinden</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="415"/>
        <source>automatic reconnect found more than one device.
Now configure manually.</source>
        <translation>Die automatische Wiederverbindung hat mehr als ein Gerät gefunden.
Bitte jetzt von Hand einstellen.</translation>
    </message>
    <message>
        <location filename="../../term/mainwindow.cpp" line="503"/>
        <source>Select File</source>
        <translation>Datei auswählen</translation>
    </message>
</context>
<context>
    <name>settingsdialog</name>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="37"/>
        <source>No Device present.
Program will be closed.</source>
        <translation>Kein Gerät vorhanden.
Das Programm wird beendet.</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="44"/>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="49"/>
        <source>local echo enabled</source>
        <translation>lokales Echo eingeschaltet</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="73"/>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="80"/>
        <location filename="../../term/settingsdialog.cpp" line="81"/>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="80"/>
        <source>even</source>
        <translation>gerade</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="80"/>
        <source>odd</source>
        <translation>ungerade</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="80"/>
        <source>mark</source>
        <translation>Mark</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="80"/>
        <source>space</source>
        <translation>Space</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="84"/>
        <source>baudrate</source>
        <translation>Baudrate</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="85"/>
        <source>databits</source>
        <translation>Datenbits</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="86"/>
        <source>stopbits</source>
        <translation>Stoppbits</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="87"/>
        <source>parity</source>
        <translation>Parität</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="88"/>
        <source>flowcontrol</source>
        <translation>Flusssteuerung</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="109"/>
        <source>N/A</source>
        <translation>k. A.</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="121"/>
        <source>busy</source>
        <translation>belegt</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="121"/>
        <source>available</source>
        <translation>verfügbar</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="133"/>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="134"/>
        <source>Manufacturer</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="135"/>
        <source>Serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="136"/>
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="137"/>
        <source>Vendor Identifier</source>
        <translation>Hersteller-ID</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="138"/>
        <source>Product Identifier</source>
        <translation>Produkt-ID</translation>
    </message>
    <message>
        <location filename="../../term/settingsdialog.cpp" line="139"/>
        <source>Status</source>
        <translation>Status</translation>
    </message>
</context>
<context>
    <name>toolsdialog</name>
    <message>
        <location filename="../../term/toolsdialog.cpp" line="16"/>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <location filename="../../term/toolsdialog.cpp" line="25"/>
        <source>send CRLF instead of LF</source>
        <translation>CRLF statt LF senden</translation>
    </message>
</context>
</TS>
