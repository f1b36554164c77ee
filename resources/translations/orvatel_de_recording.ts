<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QObject</name>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="85"/>
        <source>The trace file %1 cannot be created: %2.</source>
        <translation>Die Messdatei %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="86"/>
        <source>the HDF5 library refused it</source>
        <translation>die HDF5-Bibliothek hat es abgelehnt</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="104"/>
        <source>the HDF5 library refused its layout</source>
        <translation>die HDF5-Bibliothek hat ihren Aufbau abgelehnt</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="106"/>
        <source>the configuration has no channels to record</source>
        <translation>die Konfiguration hat keine Kanäle zum Aufzeichnen</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="107"/>
        <source>The trace file %1 cannot be written: %2.</source>
        <translation>Die Messdatei %1 kann nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="293"/>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracerecording.cpp" line="294"/>
        <source>the HDF5 library reported an error</source>
        <translation>die HDF5-Bibliothek hat einen Fehler gemeldet</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracewriterthread.cpp" line="61"/>
        <source>The trace file cannot be created.</source>
        <translation>Die Messdatei kann nicht angelegt werden.</translation>
    </message>
    <message>
        <location filename="../../app/recording/tracewriterthread.cpp"/>
        <source>the disk does not keep up with the data: more than %1 s of frames were waiting to be written</source>
        <translation>der Datenträger kommt mit den Daten nicht mit: mehr als %1 s an Rahmen warteten darauf, geschrieben zu werden</translation>
    </message>
</context>
</TS>
