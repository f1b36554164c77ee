<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>RenderArea</name>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="202"/>
        <source>counts</source>
        <translation>Zählwerte</translation>
    </message>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="250"/>
        <source> : Acc</source>
        <translation> : Beschl.</translation>
    </message>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="250"/>
        <source> : Euler</source>
        <translation> : Euler</translation>
    </message>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="250"/>
        <source> : Gyro</source>
        <translation> : Gyro</translation>
    </message>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="379"/>
        <source>Options of %1...</source>
        <translation>Optionen von %1...</translation>
    </message>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="380"/>
        <source>Show all graphs</source>
        <translation>Alle Grafiken anzeigen</translation>
    </message>
    <message>
        <location filename="../../app/display/renderarea.cpp" line="380"/>
        <source>Show only %1</source>
        <translation>Nur %1 anzeigen</translation>
    </message>
</context>
<context>
    <name>graphicsDialog</name>
    <message>
        <location filename="../../app/display/graphicsdialog.cpp" line="15"/>
        <source>Edit Graphic: </source>
        <translation>Grafik bearbeiten: </translation>
    </message>
    <message>
        <location filename="../../app/display/graphicsdialog.cpp" line="16"/>
        <source>Show only this graph</source>
        <translation>Nur diese Grafik anzeigen</translation>
    </message>
    <message>
        <location filename="../../app/display/graphicsdialog.cpp" line="17"/>
        <source>Display Acc</source>
        <translation>Beschleunigung anzeigen</translation>
    </message>
    <message>
        <location filename="../../app/display/graphicsdialog.cpp" line="18"/>
        <source>Display Gyro</source>
        <translation>Drehrate anzeigen</translation>
    </message>
    <message>
        <location filename="../../app/display/graphicsdialog.cpp" line="19"/>
        <source>Display Euler</source>
        <translation>Euler-Winkel anzeigen</translation>
    </message>
    <message>
        <location filename="../../app/display/graphicsdialog.cpp" line="20"/>
        <source>Autoscaling</source>
        <translation>Automatische Skalierung</translation>
    </message>
</context>
</TS>
