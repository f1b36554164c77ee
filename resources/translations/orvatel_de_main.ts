<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../../app/mainwindow.cpp" line="40"/>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="87"/>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="87"/>
        <source>Open an existing configuration</source>
        <translation>Eine vorhandene Konfiguration öffnen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="89"/>
        <source>&amp;New...</source>
        <translation>&amp;Neu...</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="89"/>
        <source>Create new configuration</source>
        <translation>Neue Konfiguration erstellen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="91"/>
        <source>&amp;Save...</source>
        <translation>&amp;Speichern...</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="91"/>
        <source>Save configuration</source>
        <translation>Konfiguration speichern</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="93"/>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="93"/>
        <source>Exit the application</source>
        <translation>Programm beenden</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="97"/>
        <source>Configuration</source>
        <translation>Konfiguration</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="98"/>
        <source>Edit Configuration</source>
        <translation>Konfiguration bearbeiten</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="99"/>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="99"/>
        <source>Start Sampling</source>
        <translation>Messung starten</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="101"/>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="101"/>
        <source>Stop Sampling</source>
        <translation>Messung anhalten</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="102"/>
        <source>Record</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="102"/>
        <source>Start Recording</source>
        <translation>Aufzeichnung starten</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="104"/>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="104"/>
        <source>Hardware Status</source>
        <translation>Gerätestatus</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="106"/>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="107"/>
        <source>Wifi Configuration</source>
        <translation>WLAN-Konfiguration</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="109"/>
        <location filename="../../app/mainwindow.cpp" line="110"/>
        <source>delete Config File</source>
        <translation>Konfigurationsdatei löschen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="111"/>
        <source>delete Data File</source>
        <translation>Messdatei löschen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="124"/>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="166"/>
        <source>Delete configuration or data files</source>
        <translation>Konfigurations- oder Messdateien löschen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="201"/>
        <source>unsaved configuration</source>
        <translation>ungespeicherte Konfiguration</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="253"/>
        <source>device is connected.</source>
        <translation>Das Gerät ist verbunden.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="254"/>
        <source>Wifi</source>
        <translation>WLAN</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="256"/>
        <source>You may configure and measure.</source>
        <translation>Sie können konfigurieren und messen.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="260"/>
        <source>No Device connected. If you want to connect with Wifi, use the option --useWifi.</source>
        <translation>Kein Gerät verbunden. Für eine Verbindung über WLAN verwenden Sie die Option --useWifi.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="298"/>
        <source>Device is sampling.
Please stop sampling first.</source>
        <translation>Das Gerät misst gerade.
Bitte halten Sie zuerst die Messung an.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="305"/>
        <source>Configuration is unsaved.
Do you want to save your changes?</source>
        <translation>Die Konfiguration ist nicht gespeichert.
Möchten Sie Ihre Änderungen speichern?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="61"/>
        <source>no device configured.
getparams() failed.</source>
        <translation>Kein Gerät konfiguriert.
getparams() ist fehlgeschlagen.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="81"/>
        <source>something got wrong with configuration.
getparams() failed.
reset to old config.</source>
        <translation>Bei der Konfiguration ist etwas schiefgegangen.
getparams() ist fehlgeschlagen.
Die alte Konfiguration wird wiederhergestellt.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="34"/>
        <source>filename isnt set.
Please try again.</source>
        <translation>Kein Dateiname angegeben.
Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="196"/>
        <source>loaded</source>
        <translation>geladen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="106"/>
        <source>file exists.

Overwrite it?</source>
        <translation>Die Datei existiert bereits.

Überschreiben?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="109"/>
        <source>:    configuration unsaved</source>
        <translation>:    Konfiguration nicht gespeichert</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="114"/>
        <source>Configuration saved</source>
        <translation>Konfiguration gespeichert</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="117"/>
        <source>could not save configuration.
Did you configure at least one channel?</source>
        <translation>Die Konfiguration konnte nicht gespeichert werden.
Haben Sie mindestens einen Kanal konfiguriert?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="118"/>
        <source>Error while saving config file.</source>
        <translation>Fehler beim Speichern der Konfigurationsdatei.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="130"/>
        <source>Delete these files?

</source>
        <translation>Diese Dateien löschen?

</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="146"/>
        <source>Delete Config Files</source>
        <translation>Konfigurationsdateien löschen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="151"/>
        <source>Delete Data Files</source>
        <translation>Messdateien löschen</translation>
    </message>
    <message>
        <location filename="../../app/config/configdevicecheck.cpp" line="10"/>
        <source>Device has not enough IMU channels to configure. Check your connections.</source>
        <translation>Das Gerät hat nicht genug IMU-Kanäle für diese Konfiguration. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location filename="../../app/config/configdevicecheck.cpp" line="13"/>
        <source>Device has not enough Adc16 channels to configure. Check your Device, if capable.</source>
        <translation>Das Gerät hat nicht genug 16-Bit-Kanäle für diese Konfiguration. Bitte prüfen Sie, ob Ihr Gerät dafür ausgelegt ist.</translation>
    </message>
    <message>
        <location filename="../../app/config/configdevicecheck.cpp" line="16"/>
        <source>Device has not enough Adc24 channels to configure. Check your connections.</source>
        <translation>Das Gerät hat nicht genug 24-Bit-Kanäle für diese Konfiguration. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location filename="../../app/config/configdevicecheck.cpp" line="19"/>
        <source>Device has not enough Aux channels to configure.
Eventually aux is not configured correct.</source>
        <translation>Das Gerät hat nicht genug AUX-Kanäle für diese Konfiguration.
Möglicherweise ist AUX nicht richtig konfiguriert.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="73"/>
        <source>Marker</source>
        <translation>Marke</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="121"/>
        <source>Mark an event in the recording, with the text beside</source>
        <translation>Ein Ereignis in der Aufzeichnung markieren, mit dem Text daneben</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="122"/>
        <source>Graph options</source>
        <translation>Grafikoptionen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="123"/>
        <source>What a graph shows, its autoscaling, or the graph alone</source>
        <translation>Was eine Grafik zeigt, ihre automatische Skalierung, oder die Grafik allein</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="193"/>
        <source>Marker text</source>
        <translation>Text der Marke</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="194"/>
        <source>Text of the next marker (Ctrl+M to type it; F8 or Return sets it while recording)</source>
        <translation>Text der nächsten Marke (Strg+M zum Eingeben; F8 oder Eingabe setzt sie während der Aufzeichnung)</translation>
    </message>
</context>
<context>
    <name>outfiledialog</name>
    <message>
        <location filename="../../app/config/outfiledialog.cpp" line="18"/>
        <source>Save Config</source>
        <translation>Konfiguration speichern</translation>
    </message>
</context>
<context>
    <name>MainWindowStatus</name>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="26"/>
        <source>No device</source>
        <translation>Kein Gerät</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="27"/>
        <source>%1 over %2</source>
        <translation>%1 über %2</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="30"/>
        <source>%1 frames/s</source>
        <translation>%1 Rahmen/s</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="32"/>
        <source>%1 lost</source>
        <translation>%1 verloren</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="47"/>
        <source>Recording %1, %2, %3</source>
        <translation>Aufzeichnung %1, %2, %3</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="50"/>
        <source>, %1 frames lost</source>
        <translation>, %1 Rahmen verloren</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="52"/>
        <source>, %1 free</source>
        <translation>, %1 frei</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="64"/>
        <source>less than a minute</source>
        <translation>weniger als eine Minute</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="65"/>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="67"/>
        <source> (%1 left)</source>
        <translation> (reicht noch %1)</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="72"/>
        <source>Last recording: %1, %2 frames, %3</source>
        <translation>Letzte Aufzeichnung: %1, %2 Rahmen, %3</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="78"/>
        <source> (stopped by a failure)</source>
        <translation> (durch einen Fehler beendet)</translation>
    </message>
    <message>
        <location filename="../../app/mainwindowstatus.cpp" line="80"/>
        <source> (maximum duration reached)</source>
        <translation> (maximale Dauer erreicht)</translation>
    </message>
</context>
</TS>
