<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AcquisitionController</name>
    <message>
        <location filename="../../app/acquisition/acquisitioncontroller.cpp" line="+188"/>
        <source>Device was disconnected</source>
        <translation>Die Verbindung zum Gerät wurde getrennt</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Device was disconnected
or is busy
Please reconnect device.</source>
        <translation>Die Verbindung zum Gerät wurde getrennt
oder das Gerät ist belegt.
Bitte schließen Sie das Gerät wieder an.</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>No Device found. Check your connections.</source>
        <translation>Kein Gerät gefunden. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Device has no channels to configure. Check your connections.</source>
        <translation>Das Gerät hat keine Kanäle zum Konfigurieren. Bitte prüfen Sie die Verbindungen.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>The configuration enables no channel: the device would send empty frames.
Please enable at least one channel.</source>
        <translation>Die Konfiguration schaltet keinen Kanal ein: Das Gerät würde leere Datensätze senden.
Bitte schalten Sie mindestens einen Kanal ein.</translation>
    </message>
    <message>
        <location line="+80"/>
        <source>The device did not accept the command &quot;%1&quot;.</source>
        <translation>Das Gerät hat den Befehl „%1“ nicht angenommen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The device did not accept the command &quot;%1&quot;:
%2</source>
        <translation>Das Gerät hat den Befehl „%1“ nicht angenommen:
%2</translation>
    </message>
    <message>
        <location line="-73"/>
        <source>The configuration has %1 display channels; at most %2 can be shown.
Please enable fewer channels.</source>
        <translation>Die Konfiguration hat %1 Anzeigekanäle; höchstens %2 können angezeigt werden.
Bitte schalten Sie weniger Kanäle ein.</translation>
    </message>
</context>
<context>
    <name>ConnectionMachine</name>
    <message>
        <location filename="../../app/acquisition/connectionmachine.cpp" line="+130"/>
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
        <location line="+9"/>
        <source>Device is busy</source>
        <translation>Das Gerät ist belegt</translation>
    </message>
    <message>
        <location line="+75"/>
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
        <location line="+22"/>
        <source>Device was disconnected</source>
        <translation>Die Verbindung zum Gerät wurde getrennt</translation>
    </message>
    <message>
        <location line="+84"/>
        <source>The device reported channel counts that cannot be right:
%1
They are not used. Please check the device.</source>
        <translation>Das Gerät meldet Kanalzahlen, die nicht stimmen können:
%1
Sie werden nicht verwendet. Bitte prüfen Sie das Gerät.</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>The device reports %1 AUX words; at most %2 are supported.
Its AUX input is not used.</source>
        <translation>Das Gerät meldet %1 AUX-Wörter; höchstens %2 werden unterstützt.
Sein AUX-Eingang wird nicht verwendet.</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Number of Imu Devices changed
Please configure now.</source>
        <translation>Die Anzahl der IMUs hat sich geändert.
Bitte jetzt neu konfigurieren.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The device reports %1 IMUs; at most %2 are supported.
Its IMUs are not used.</source>
        <translation>Das Gerät meldet %1 IMUs; höchstens %2 werden unterstützt.
Seine IMUs werden nicht verwendet.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Number of Aux Devices changed
Please configure now.</source>
        <translation>Die Anzahl der AUX-Eingänge hat sich geändert.
Bitte jetzt neu konfigurieren.</translation>
    </message>
</context>
<context>
    <name>MeasurementLoop</name>
    <message>
        <location filename="../../app/acquisition/measurementloop.cpp" line="+287"/>
        <source>unexpected stop sampling</source>
        <translation>Messung unerwartet beendet</translation>
    </message>
    <message>
        <location line="-107"/>
        <source>The device refused the configuration.
Please choose another configuration.</source>
        <translation>Das Gerät hat die Konfiguration abgelehnt.
Bitte wählen Sie eine andere Konfiguration.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The device refused the configuration:
%1
Please choose another configuration.</source>
        <translation>Das Gerät hat die Konfiguration abgelehnt:
%1
Bitte wählen Sie eine andere Konfiguration.</translation>
    </message>
    <message>
        <location line="+78"/>
        <source>Maximum duration reached: recording stopped after %1 s; the live view goes on</source>
        <translation>Höchstdauer erreicht: Aufzeichnung nach %1 s beendet; die Live-Anzeige läuft weiter</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Maximum duration reached: recording stopped after %1 s</source>
        <translation>Höchstdauer erreicht: Aufzeichnung nach %1 s beendet</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 frames lost</source>
        <translation>%1 Datensätze verloren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>less than a minute of free space</source>
        <translation>weniger als eine Minute freier Speicherplatz</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The device stopped sending data: sampling stopped unexpectedly.
Please send the configuration again (Configuration, then OK).</source>
        <translation>Das Gerät sendet keine Daten mehr: Die Messung wurde unerwartet beendet.
Bitte senden Sie die Konfiguration erneut (Konfiguration, dann OK).</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>The data stream from the device could not be decoded any more: recording stopped.</source>
        <translation>Der Datenstrom des Geräts ließ sich nicht mehr entschlüsseln: Die Aufzeichnung wurde beendet.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The data stream from the device could not be decoded any more: sampling stopped.</source>
        <translation>Der Datenstrom des Geräts ließ sich nicht mehr entschlüsseln: Die Messung wurde beendet.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>At least %1 frames were lost.</source>
        <translation>Mindestens %1 Datensätze gingen verloren.</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>The trace file %1 holds %2 frames.</source>
        <translation>Die Messdatei %1 enthält %2 Datensätze.</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>Error on start button</source>
        <translation>Fehler beim Starten</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>The last trace file is still being closed</source>
        <translation>Die letzte Messdatei wird noch geschlossen</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>internal error 1.
Please contact lumetrix.</source>
        <translation>Interner Fehler 1.
Bitte wenden Sie sich an lumetrix.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Recording not started</source>
        <translation>Aufzeichnung nicht gestartet</translation>
    </message>
    <message>
        <location line="-21"/>
        <location line="+9"/>
        <source>Recording</source>
        <translation>Aufzeichnung läuft</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Recording was not started.</source>
        <translation>Die Aufzeichnung wurde nicht gestartet.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Recording stopped; the live view goes on</source>
        <translation>Aufzeichnung beendet; die Live-Anzeige läuft weiter</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Sampling stopped</source>
        <translation>Messung angehalten</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="+85"/>
        <location line="+13"/>
        <source>The trace file %1 cannot be created: %2.</source>
        <translation>Die Messdatei %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <location line="-12"/>
        <source>the HDF5 library refused it</source>
        <translation>die HDF5-Bibliothek hat sie abgelehnt</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>the HDF5 library refused its layout</source>
        <translation>die HDF5-Bibliothek hat ihren Aufbau abgelehnt</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>the configuration has no channels to record</source>
        <translation>die Konfiguration hat keine Kanäle zum Aufzeichnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The trace file %1 cannot be written: %2.</source>
        <translation>Die Messdatei %1 kann nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <location line="+186"/>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the HDF5 library reported an error</source>
        <translation>die HDF5-Bibliothek hat einen Fehler gemeldet</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracewriterthread.cpp" line="+61"/>
        <source>The trace file cannot be created.</source>
        <translation>Die Messdatei kann nicht angelegt werden.</translation>
    </message>
    <message>
        <location line="+93"/>
        <source>the disk does not keep up with the data: more than %1 s of frames were waiting to be written</source>
        <translation>der Datenträger kommt mit den Daten nicht nach: mehr als %1 s an Datensätzen warteten aufs Schreiben</translation>
    </message>
</context>
<context>
    <name>StreamRecorder</name>
    <message>
        <location filename="../../app/acquisition/streamrecorder.cpp" line="+38"/>
        <source>The trace file %1 exists already.</source>
        <translation>Die Messdatei %1 gibt es bereits.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The trace file %1 cannot be created: the folder %2 does not exist.</source>
        <translation>Die Messdatei %1 kann nicht angelegt werden: Den Ordner %2 gibt es nicht.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The folder %1 has room for less than one second of recording (%2 free).</source>
        <translation>Der Ordner %1 hat Platz für weniger als eine Sekunde Aufzeichnung (%2 frei).</translation>
    </message>
    <message>
        <location line="+126"/>
        <source>The trace file %1 holds the first %2 frames.</source>
        <translation>Die Messdatei %1 enthält die ersten %2 Datensätze.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The disk is full: recording stopped.</source>
        <translation>Der Datenträger ist voll: Die Aufzeichnung wurde beendet.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The trace file could not be written: recording stopped.</source>
        <translation>Die Messdatei konnte nicht geschrieben werden: Die Aufzeichnung wurde beendet.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The trace file could not be written (%1): recording stopped.</source>
        <translation>Die Messdatei konnte nicht geschrieben werden (%1): Die Aufzeichnung wurde beendet.</translation>
    </message>
</context>
<context>
    <name>WifiConfigTask</name>
    <message>
        <location filename="../../app/acquisition/wificonfigtask.cpp" line="+72"/>
        <source>Could not get Device Config</source>
        <translation>Gerätekonfiguration konnte nicht gelesen werden</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Giving up Wifi Configuration</source>
        <translation>WLAN-Konfiguration wird abgebrochen</translation>
    </message>
</context>
</TS>
