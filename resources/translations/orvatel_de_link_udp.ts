<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>WifiNetworkCheck</name>
    <message>
        <location filename="../../app/link/wifinetworkcheck.cpp" line="33"/>
        <source>Network problem!

Wifi is on, but I did not find the device

wrong AP connected?
connect to the right Access Point

</source>
        <translation>Netzwerkproblem!

WLAN ist eingeschaltet, aber das Gerät wurde nicht gefunden

Falscher Access Point verbunden?
Mit dem richtigen Access Point verbinden

</translation>
    </message>
    <message>
        <location filename="../../app/link/wifinetworkcheck.cpp" line="40"/>
        <source>Network problem!

is Wifi proper connected?
somebody else claims the device?
remove him at first
turn off Wifi
and turn on again

if this doesnt help,
repower the device

Exit Program?
</source>
        <translation>Netzwerkproblem!

Ist das WLAN richtig verbunden?
Beansprucht jemand anderes das Gerät?
Zuerst dessen Verbindung trennen,
WLAN ausschalten
und wieder einschalten

Wenn das nicht hilft,
das Gerät neu einschalten

Programm beenden?
</translation>
    </message>
</context>
</TS>
