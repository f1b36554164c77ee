<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AcquisitionController</name>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="128"/>
        <source>Device was disconnected</source>
        <translation>Die Verbindung zum Gerät wurde getrennt</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="140"/>
        <source>Device was disconnected
or is busy
Please reconnect device.</source>
        <translation>Die Verbindung zum Gerät wurde getrennt
oder das Gerät ist belegt.
Bitte schließen Sie das Gerät wieder an.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="171"/>
        <source>No Device found. Check your connections.</source>
        <translation>Kein Gerät gefunden. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="176"/>
        <source>Device has no channels to configure. Check your connections.</source>
        <translation>Das Gerät hat keine Kanäle zum Konfigurieren. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="190"/>
        <source>configuration file invalid.
Please choose a new one.</source>
        <translation>Die Konfigurationsdatei ist ungültig.
Bitte wählen Sie eine andere.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="212"/>
        <source>The configuration has %1 display channels; at most %2 can be shown.
Please enable fewer channels.</source>
        <translation>Die Konfiguration hat %1 Anzeigekanäle; höchstens %2 können angezeigt werden.
Bitte schalten Sie weniger Kanäle ein.</translation>
    </message>
</context>
<context>
    <name>ConnectionMachine</name>
    <message>
        <location filename="../../app/acquisition/connectionmachine.cpp" line="126"/>
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
        <location filename="../../app/acquisition/connectionmachine.cpp" line="190"/>
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
        <location filename="../../app/acquisition/connectionmachine.cpp" line="212"/>
        <source>Device was disconnected</source>
        <translation>Die Verbindung zum Gerät wurde getrennt</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/connectionmachine.cpp" line="247"/>
        <source>SCPI fail:</source>
        <translation>SCPI-Fehler:</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/connectionmachine.cpp" line="293"/>
        <source>Number of Imu Devices changed
Please configure now.</source>
        <translation>Die Anzahl der IMUs hat sich geändert.
Bitte jetzt neu konfigurieren.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/connectionmachine.cpp" line="295"/>
        <source>Number of Aux Devices changed
Please configure now.</source>
        <translation>Die Anzahl der AUX-Eingänge hat sich geändert.
Bitte jetzt neu konfigurieren.</translation>
    </message>
</context>
<context>
    <name>MeasurementLoop</name>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="169"/>
        <source>Internal error
program is closed now
</source>
        <translation>Interner Fehler.
Das Programm wird jetzt beendet.
</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="240"/>
        <source>ERROR: frames could not be written</source>
        <translation>FEHLER: Messwerte konnten nicht geschrieben werden</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="256"/>
        <source>unexpected stop sampling</source>
        <translation>Messung unerwartet beendet</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="260"/>
        <source>internal error 2.
sampling stopped unexpectedly.
configuration is invalidated.</source>
        <translation>Interner Fehler 2.
Die Messung wurde unerwartet beendet.
Die Konfiguration ist ungültig geworden.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="309"/>
        <source>Error on start button</source>
        <translation>Fehler beim Starten</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="330"/>
        <source>internal error 1.
Please contact lumetrix.</source>
        <translation>Interner Fehler 1.
Bitte wenden Sie sich an lumetrix.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="338"/>
        <source>Recording not started</source>
        <translation>Aufzeichnung nicht gestartet</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="340"/>
        <source>Could not create the trace file
%1
Recording was not started.</source>
        <translation>Die Messdatei konnte nicht angelegt werden:
%1
Die Aufzeichnung wurde nicht gestartet.</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="349"/>
        <source>Recording</source>
        <translation>Aufzeichnung läuft</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="385"/>
        <source>Sampling stopped</source>
        <translation>Messung angehalten</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="232"/>
        <source>Frames could not be written to the trace file
%1</source>
        <translation>Messwerte konnten nicht in die Messdatei geschrieben werden:
%1</translation>
    </message>
</context>
<context>
    <name>WifiConfigTask</name>
    <message>
        <location filename="../../app/acquisition/wificonfigtask.cpp" line="72"/>
        <source>Could not get Device Config</source>
        <translation>Gerätekonfiguration konnte nicht gelesen werden</translation>
    </message>
    <message>
        <location filename="../../app/acquisition/wificonfigtask.cpp" line="72"/>
        <source>Giving up Wifi Configuration</source>
        <translation>WLAN-Konfiguration wird abgebrochen</translation>
    </message>
</context>
</TS>
