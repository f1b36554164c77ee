<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ConfigLimits</name>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="35"/>
        <source>a blank</source>
        <translation>ein Leerzeichen</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="36"/>
        <source>a tab</source>
        <translation>einen Tabulator</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="38"/>
        <source>a line break</source>
        <translation>einen Zeilenumbruch</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="41"/>
        <source>a space character</source>
        <translation>ein Leerraumzeichen</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="41"/>
        <source>a control character</source>
        <translation>ein Steuerzeichen</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="78"/>
        <source>the timeline must be 1 to 600 seconds</source>
        <translation>das Zeitfenster muss 1 bis 600 Sekunden lang sein</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="85"/>
        <source>the recording limit must be 0 (no limit) to 999999.99 seconds</source>
        <translation>die Aufnahmedauer muss 0 (unbegrenzt) bis 999999,99 Sekunden betragen</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="92"/>
        <source>the sample rate must be 100, 200, 500, 1000, 2000 or 4000</source>
        <translation>die Abtastrate muss 100, 200, 500, 1000, 2000 oder 4000 sein</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="99"/>
        <source>ranges and coefficients must be numbers between -3.40282e+38 and 3.40282e+38</source>
        <translation>Bereiche und Koeffizienten müssen Zahlen zwischen -3.40282e+38 und 3.40282e+38 sein</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="101"/>
        <source>the lower end of the range (%1) must be below the upper end (%2)</source>
        <translation>das untere Ende des Bereichs (%1) muss unter dem oberen Ende (%2) liegen</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="110"/>
        <source>IMU ranges must be positive numbers up to 3.40282e+38</source>
        <translation>IMU-Bereiche müssen positive Zahlen bis 3.40282e+38 sein</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="129"/>
        <source>%1 channels to show (an IMU counts 6); the plot shows at most 144</source>
        <translation>%1 Kanäle anzuzeigen (eine IMU zählt 6); die Anzeige zeigt höchstens 144</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="132"/>
        <source>%1 graphs to show (one per channel, IMU and AUX device); the plot shows at most 24</source>
        <translation>%1 Graphen anzuzeigen (je einer pro Kanal, IMU und AUX-Gerät); die Anzeige zeigt höchstens 24</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="140"/>
        <source>a name may have at most %1 characters</source>
        <translation>ein Name darf höchstens %1 Zeichen haben</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="145"/>
        <source>a name cannot contain %1: in the configuration file a name is one word</source>
        <translation>ein Name darf nicht %1 enthalten: in der Konfigurationsdatei ist ein Name ein einziges Wort</translation>
    </message>
    <message>
        <location filename="../../app/config/configlimits.cpp" line="148"/>
        <source>a name cannot contain &quot;%1&quot;: the configuration file cannot store it in this system&apos;s character set</source>
        <translation>ein Name darf nicht &quot;%1&quot; enthalten: die Konfigurationsdatei kann es im Zeichensatz dieses Systems nicht speichern</translation>
    </message>
</context>
<context>
    <name>ConfigLoadResult</name>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="12"/>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="21"/>
        <source>There is no file %1.</source>
        <translation>Die Datei %1 gibt es nicht.</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="23"/>
        <source>%1 is not a regular file.</source>
        <translation>%1 ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="41"/>
        <source>configuration file not found:
%1
Please choose a new one.</source>
        <translation>Konfigurationsdatei nicht gefunden:
%1
Bitte eine andere wählen.</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="43"/>
        <source>%1
is not a configuration file (not a regular file).
Please choose a new one.</source>
        <translation>%1
ist keine Konfigurationsdatei (keine gewöhnliche Datei).
Bitte eine andere wählen.</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="45"/>
        <source>could not open configuration file
%1:
%2
Please choose a new one.</source>
        <translation>Konfigurationsdatei konnte nicht geöffnet werden
%1:
%2
Bitte eine andere wählen.</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="47"/>
        <source>configuration file invalid: the file is empty.
%1
Please choose a new one.</source>
        <translation>Konfigurationsdatei ungültig: die Datei ist leer.
%1
Bitte eine andere wählen.</translation>
    </message>
    <message>
        <location filename="../../app/config/configloadresult.cpp" line="51"/>
        <source>configuration file invalid.
%1
%2
Please choose a new one.</source>
        <translation>Konfigurationsdatei ungültig.
%1
%2
Bitte eine andere wählen.</translation>
    </message>
</context>
<context>
    <name>ConfigReader</name>
    <message>
        <location filename="../../app/config/configreader.cpp" line="70"/>
        <source>%1 is given a second time (first in line %2)</source>
        <translation>%1 steht ein zweites Mal da (zuerst in Zeile %2)</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="75"/>
        <source>%1 has no value</source>
        <translation>%1 hat keinen Wert</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="89"/>
        <source>%1%2 is not a number</source>
        <translation>%1%2 ist keine Zahl</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="107"/>
        <source>%1%2 is not a whole number</source>
        <translation>%1%2 ist keine ganze Zahl</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="117"/>
        <source>the frame size (sampleSize) must be above 0 bytes</source>
        <translation>die Rahmengröße (sampleSize) muss über 0 Bytes liegen</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="129"/>
        <source>an %1 line needs 2, the range ends and two coefficients as numbers, then a name</source>
        <translation>eine %1-Zeile braucht 2, die Bereichsenden und zwei Koeffizienten als Zahlen, dann einen Namen</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="146"/>
        <source>an imu6 line needs the acceleration and rotation ranges as numbers, then a name</source>
        <translation>eine imu6-Zeile braucht den Beschleunigungs- und den Drehratenbereich als Zahlen, dann einen Namen</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="164"/>
        <source>a second aux line (the first is line %1); there is only one AUX device</source>
        <translation>eine zweite aux-Zeile (die erste ist Zeile %1); es gibt nur ein AUX-Gerät</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="170"/>
        <source>an aux line needs the number of 16-bit AUX words (0 or more)</source>
        <translation>eine aux-Zeile braucht die Anzahl der 16-Bit-AUX-Wörter (0 oder mehr)</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="186"/>
        <source>the %1 line is missing</source>
        <translation>die Zeile %1 fehlt</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="192"/>
        <source>no channel sends data (the frame size would be 0)</source>
        <translation>kein Kanal sendet Daten (die Rahmengröße wäre 0)</translation>
    </message>
    <message>
        <location filename="../../app/config/configreader.cpp" line="194"/>
        <source>sampleSize=%1 does not match the channels listed, which need %2 bytes per frame</source>
        <translation>sampleSize=%1 passt nicht zu den aufgeführten Kanälen, die %2 Bytes pro Rahmen brauchen</translation>
    </message>
    <message>
        <location filename="../../app/config/configfile.cpp" line="225"/>
        <source>the file is larger than 1 MiB; a configuration file is a few hundred bytes</source>
        <translation>die Datei ist größer als 1 MiB; eine Konfigurationsdatei hat einige hundert Bytes</translation>
    </message>
</context>
<context>
    <name>auxTab</name>
    <message>
        <location filename="../../app/config/auxtab.cpp" line="11"/>
        <source>activate Aux Device</source>
        <translation>Aux-Gerät aktivieren</translation>
    </message>
    <message>
        <location filename="../../app/config/auxtab.cpp" line="17"/>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location filename="../../app/config/auxtab.cpp" line="19"/>
        <source>device has 2 channels</source>
        <translation>Gerät hat 2 Kanäle</translation>
    </message>
</context>
<context>
    <name>channelTab</name>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="32"/>
        <source>%1 channel %2: %3</source>
        <translation>%1 Kanal %2: %3</translation>
    </message>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="68"/>
        <source>ch %1</source>
        <translation>Kanal %1</translation>
    </message>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="82"/>
        <source>&lt;b&gt;ch&lt;/b&gt;</source>
        <translation>&lt;b&gt;Kanal&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/channeltab.cpp" line="83"/>
        <source>&lt;b&gt;name&lt;/b&gt;</source>
        <translation>&lt;b&gt;Name&lt;/b&gt;</translation>
    </message>
</context>
<context>
    <name>generalTab</name>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="43"/>
        <source>Samplerate</source>
        <translation>Abtastrate</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="45"/>
        <source>Measurement</source>
        <translation>Messung</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="53"/>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="53"/>
        <source>timeline</source>
        <translation>Zeitfenster</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="63"/>
        <source>Record duration (0=infinity)</source>
        <translation>Aufnahmedauer (0=unbegrenzt)</translation>
    </message>
    <message>
        <location filename="../../app/config/generaltab.cpp" line="63"/>
        <source>max duration</source>
        <translation>max. Dauer</translation>
    </message>
</context>
<context>
    <name>imu6Tab</name>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="19"/>
        <source>&lt;b&gt;ch&lt;/b&gt;</source>
        <translation>&lt;b&gt;Kanal&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="20"/>
        <source>&lt;b&gt;accrange&lt;/b&gt;</source>
        <translation>&lt;b&gt;Beschl.-Bereich&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="21"/>
        <source>&lt;b&gt;gyrorange&lt;/b&gt;</source>
        <translation>&lt;b&gt;Gyro-Bereich&lt;/b&gt;</translation>
    </message>
    <message>
        <location filename="../../app/config/imu6tab.cpp" line="22"/>
        <source>&lt;b&gt;name&lt;/b&gt;</source>
        <translation>&lt;b&gt;Name&lt;/b&gt;</translation>
    </message>
</context>
<context>
    <name>tabdialog</name>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="26"/>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="29"/>
        <location filename="../../app/config/tabdialog.cpp" line="30"/>
        <location filename="../../app/config/tabdialog.cpp" line="82"/>
        <source>ADC24</source>
        <translation>ADC24</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="34"/>
        <location filename="../../app/config/tabdialog.cpp" line="35"/>
        <location filename="../../app/config/tabdialog.cpp" line="82"/>
        <source>ADC16</source>
        <translation>ADC16</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="39"/>
        <location filename="../../app/config/tabdialog.cpp" line="40"/>
        <location filename="../../app/config/tabdialog.cpp" line="82"/>
        <source>IMU 6</source>
        <translation>IMU 6</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="44"/>
        <source>Aux</source>
        <translation>Aux</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="62"/>
        <source>%1 channel %2: %3</source>
        <translation>%1 Kanal %2: %3</translation>
    </message>
    <message>
        <location filename="../../app/config/tabdialog.cpp" line="92"/>
        <source>Nothing to measure: enable at least one channel, IMU or the AUX device.</source>
        <translation>Nichts zu messen: mindestens einen Kanal, eine IMU oder das AUX-Gerät einschalten.</translation>
    </message>
</context>
<context>
    <name>adminDialog</name>
</context>
<context>
    <name>FolderRow</name>
    <message>
        <location filename="../../app/config/folderrow.cpp" line="14"/>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <location filename="../../app/config/folderrow.cpp" line="18"/>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <location filename="../../app/config/folderrow.cpp" line="31"/>
        <source>Choose a folder</source>
        <translation>Ordner wählen</translation>
    </message>
</context>
</TS>
