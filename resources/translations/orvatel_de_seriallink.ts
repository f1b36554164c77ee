<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>devicedialog</name>
    <message>
        <location filename="../../app/link/devicedialog.cpp" line="11"/>
        <source>found multiple devices. (SN = Serialnumber)</source>
        <translation>mehrere Geräte gefunden. (SN = Seriennummer)</translation>
    </message>
    <message>
        <location filename="../../app/link/devicedialog.cpp" line="15"/>
        <source>SN = </source>
        <translation>SN = </translation>
    </message>
    <message>
        <location filename="../../app/link/devicedialog.cpp" line="17"/>
        <source>   BUSY!!!</source>
        <translation>   BELEGT!!!</translation>
    </message>
</context>
</TS>
