<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../../app/mainwindow.cpp" line="49"/>
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
        <location filename="../../app/mainwindow.cpp" line="203"/>
        <source>unsaved configuration</source>
        <translation>ungespeicherte Konfiguration</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="241"/>
        <source>device is connected.</source>
        <translation>Das Gerät ist verbunden.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="242"/>
        <source>Wifi</source>
        <translation>WLAN</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="244"/>
        <source>You may configure and measure.</source>
        <translation>Sie können konfigurieren und messen.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="248"/>
        <source>No Device connected. If you want to connect with Wifi, use the option --useWifi.</source>
        <translation>Kein Gerät verbunden. Für eine Verbindung über WLAN verwenden Sie die Option --useWifi.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="287"/>
        <source>Device is sampling.
Please stop sampling first.</source>
        <translation>Das Gerät misst gerade.
Bitte halten Sie zuerst die Messung an.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow.cpp" line="294"/>
        <source>Configuration is unsaved.
Do you want to save your changes?</source>
        <translation>Die Konfiguration ist nicht gespeichert.
Möchten Sie Ihre Änderungen speichern?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="72"/>
        <source>Device is busy.
Please stop programs, who claims it.

Exit Program?
</source>
        <translation>Das Gerät ist belegt.
Bitte beenden Sie die Programme, die es verwenden.

Programm beenden?
</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="136"/>
        <source>Device found
but device is busy
Please stop programs, who claims it.

Exit Program?</source>
        <translation>Gerät gefunden,
aber das Gerät ist belegt.
Bitte beenden Sie die Programme, die es verwenden.

Programm beenden?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="161"/>
        <location filename="../../app/mainwindow_connection.cpp" line="187"/>
        <source>Device was disconnected</source>
        <translation>Die Verbindung zum Gerät wurde getrennt</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="200"/>
        <source>Device was disconnected
or is busy
Please reconnect device.</source>
        <translation>Die Verbindung zum Gerät wurde getrennt
oder das Gerät ist belegt.
Bitte schließen Sie das Gerät wieder an.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="221"/>
        <source>SCPI fail:</source>
        <translation>SCPI-Fehler:</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="256"/>
        <source>Number of Imu Devices changed
Please configure now.</source>
        <translation>Die Anzahl der IMUs hat sich geändert.
Bitte jetzt neu konfigurieren.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_connection.cpp" line="264"/>
        <source>Number of Aux Devices changed
Please configure now.</source>
        <translation>Die Anzahl der AUX-Eingänge hat sich geändert.
Bitte jetzt neu konfigurieren.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="68"/>
        <source>Internal error
program is closed now
</source>
        <translation>Interner Fehler.
Das Programm wird jetzt beendet.
</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="108"/>
        <source>ERROR: frames could not be written</source>
        <translation>FEHLER: Messwerte konnten nicht geschrieben werden</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="137"/>
        <source>unexpected stop sampling</source>
        <translation>Messung unerwartet beendet</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="141"/>
        <source>internal error 2.
sampling stopped unexpectedly.
configuration is invalidated.</source>
        <translation>Interner Fehler 2.
Die Messung wurde unerwartet beendet.
Die Konfiguration ist ungültig geworden.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="186"/>
        <location filename="../../app/mainwindow_files.cpp" line="21"/>
        <source>No Device found. Check your connections.</source>
        <translation>Kein Gerät gefunden. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="190"/>
        <location filename="../../app/mainwindow_files.cpp" line="25"/>
        <source>Device has no channels to configure. Check your connections.</source>
        <translation>Das Gerät hat keine Kanäle zum Konfigurieren. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="201"/>
        <source>no device configured.
getparams() failed.</source>
        <translation>Kein Gerät konfiguriert.
getparams() ist fehlgeschlagen.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_acquisition.cpp" line="230"/>
        <source>something got wrong with configuration.
getparams() failed.
reset to old config.</source>
        <translation>Bei der Konfiguration ist etwas schiefgegangen.
getparams() ist fehlgeschlagen.
Die alte Konfiguration wird wiederhergestellt.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="25"/>
        <source>The configuration has %1 display channels; at most %2 can be shown.
Please enable fewer channels.</source>
        <translation>Die Konfiguration hat %1 Anzeigekanäle; höchstens %2 können angezeigt werden.
Bitte schalten Sie weniger Kanäle ein.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="83"/>
        <source>Error on start button</source>
        <translation>Fehler beim Starten</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="107"/>
        <source>internal error 1.
Please contact lumetrix.</source>
        <translation>Interner Fehler 1.
Bitte wenden Sie sich an lumetrix.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="115"/>
        <source>Recording not started</source>
        <translation>Aufzeichnung nicht gestartet</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="117"/>
        <source>Could not create the trace file
%1
Recording was not started.</source>
        <translation>Die Messdatei konnte nicht angelegt werden:
%1
Die Aufzeichnung wurde nicht gestartet.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="126"/>
        <source>Recording</source>
        <translation>Aufzeichnung läuft</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_recording.cpp" line="165"/>
        <source>Sampling stopped</source>
        <translation>Messung angehalten</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="41"/>
        <source>filename isnt set.
Please try again.</source>
        <translation>Kein Dateiname angegeben.
Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="53"/>
        <source>configuration file invalid.
Please choose a new one.</source>
        <translation>Die Konfigurationsdatei ist ungültig.
Bitte wählen Sie eine andere.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="69"/>
        <source>loaded</source>
        <translation>geladen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="87"/>
        <source>file exists.

Overwrite it?</source>
        <translation>Die Datei existiert bereits.

Überschreiben?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="90"/>
        <source>:    configuration unsaved</source>
        <translation>:    Konfiguration nicht gespeichert</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="97"/>
        <source>Configuration saved</source>
        <translation>Konfiguration gespeichert</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="100"/>
        <source>could not save configuration.
Did you configure at least one channel?</source>
        <translation>Die Konfiguration konnte nicht gespeichert werden.
Haben Sie mindestens einen Kanal konfiguriert?</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="101"/>
        <source>Error while saving config file.</source>
        <translation>Fehler beim Speichern der Konfigurationsdatei.</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="113"/>
        <source>Delete these files?

</source>
        <translation>Diese Dateien löschen?

</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="129"/>
        <source>Delete Config Files</source>
        <translation>Konfigurationsdateien löschen</translation>
    </message>
    <message>
        <location filename="../../app/mainwindow_files.cpp" line="134"/>
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
</context>
<context>
    <name>outfiledialog</name>
    <message>
        <location filename="../../app/config/outfiledialog.cpp" line="18"/>
        <source>Save Config</source>
        <translation>Konfiguration speichern</translation>
    </message>
</context>
</TS>
