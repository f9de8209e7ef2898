<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source> - Version </source>
        <translation> - Version </translation>
    </message>
    <message>
        <source>Build - %1 at %2</source>
        <translation>Build - %1 um %2</translation>
    </message>
    <message>
        <source>Copyright (C) %1 %2. All rights reserved. Use of this software is subject to the licence agreement below.</source>
        <translation>Copyright (C) %1 %2. Alle Rechte vorbehalten. Die Nutzung dieser Software unterliegt dem folgenden Lizenzvertrag.</translation>
    </message>
    <message>
        <source>&lt;p&gt;For updates visit &lt;a href="https://%1"&gt;&lt;span style="text-decoration: underline; color:#0000ff;"&gt;%1&lt;/span&gt;&lt;/a&gt;&lt;/p&gt;</source>
        <translation>&lt;p&gt;Aktualisierungen finden Sie unter &lt;a href="https://%1"&gt;&lt;span style="text-decoration: underline; color:#0000ff;"&gt;%1&lt;/span&gt;&lt;/a&gt;&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>ApplicationLog</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Clear all log data</source>
        <translation>Alle Protokolldaten löschen</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Save log data</source>
        <translation>Protokolldaten speichern</translation>
    </message>
    <message>
        <source>Print log data</source>
        <translation>Protokolldaten drucken</translation>
    </message>
</context>
<context>
    <name>CenterTabWidget</name>
    <message>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
</context>
<context>
    <name>Channel</name>
    <message>
        <source>Enable channel %1</source>
        <translation>Kanal %1 einschalten</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Setzen</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>nm</source>
        <translation>nm</translation>
    </message>
</context>
<context>
    <name>ChannelSliders</name>
    <message>
        <source>Channel </source>
        <translation>Kanal </translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>Channel power</source>
        <translation>Kanalleistung</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Center wavelength</source>
        <translation>Mittenwellenlänge</translation>
    </message>
    <message>
        <source>nm</source>
        <translation>nm</translation>
    </message>
</context>
<context>
    <name>ColHeader</name>
    <message>
        <source>Modules</source>
        <translation>Module</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Show this help and exit.</source>
        <translation>Diese Hilfe zeigen und beenden.</translation>
    </message>
    <message>
        <source>Show the version and build date and exit.</source>
        <translation>Version und Build-Datum zeigen und beenden.</translation>
    </message>
    <message>
        <source>Open the serial port PORT at start-up.</source>
        <translation>Die serielle Schnittstelle PORT beim Start öffnen.</translation>
    </message>
    <message>
        <source>Write the recorded values to FILE as CSV.</source>
        <translation>Die aufgezeichneten Werte als CSV in FILE schreiben.</translation>
    </message>
    <message>
        <source>Export values from TIME on (yyyy-MM-ddTHH:mm:ss).</source>
        <translation>Werte ab TIME exportieren (yyyy-MM-ddTHH:mm:ss).</translation>
    </message>
    <message>
        <source>Export values up to TIME (yyyy-MM-ddTHH:mm:ss).</source>
        <translation>Werte bis TIME exportieren (yyyy-MM-ddTHH:mm:ss).</translation>
    </message>
    <message>
        <source>Export only the laser with serial number SERIAL.</source>
        <translation>Nur den Laser mit der Seriennummer SERIAL exportieren.</translation>
    </message>
    <message>
        <source>Controls a Lumetra QZ laser over its serial port.</source>
        <translation>Steuert einen Lumetra-QZ-Laser über seine serielle Schnittstelle.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>--%1: cannot read the time "%2"; write it as yyyy-MM-ddTHH:mm:ss.</source>
        <translation>--%1: Die Zeit "%2" ist nicht lesbar; schreiben Sie sie als yyyy-MM-ddTHH:mm:ss.</translation>
    </message>
    <message>
        <source>--from, --to and --laser select what --export-csv writes; give --export-csv FILE too.</source>
        <translation>--from, --to und --laser wählen aus, was --export-csv schreibt; geben Sie auch --export-csv DATEI an.</translation>
    </message>
    <message>
        <source>Show the program in LANGUAGE (en or de) instead of the system's language.</source>
        <translation>Das Programm in LANGUAGE (en oder de) statt in der Sprache des Systems zeigen.</translation>
    </message>
    <message>
        <source>--lang: there is no translation for "%1"; the languages are %2.</source>
        <translation>--lang: Für "%1" gibt es keine Übersetzung; die Sprachen sind %2.</translation>
    </message>
    <message>
        <source>--%1: the local time "%2" does not exist in the time zone %3: it falls in the change to daylight-saving time. Give a time outside the change, or in UTC with a Z.</source>
        <translation>--%1: Die Ortszeit "%2" gibt es in der Zeitzone %3 nicht: Sie fällt in die Umstellung auf die Sommerzeit. Geben Sie eine Zeit außerhalb der Umstellung an oder eine UTC-Zeit mit Z.</translation>
    </message>
    <message>
        <source>The span from --from %1 to --to %2 is empty: --to must be later than --from.</source>
        <translation>Der Zeitraum von --from %1 bis --to %2 ist leer: --to muss nach --from liegen.</translation>
    </message>
    <message>
        <source>--from and --to are required with --export-csv: the span of time to export (for example --from 2026-12-07T20:00 --to 2026-12-08T06:00).</source>
        <translation>--export-csv braucht --from und --to: den Zeitraum, der exportiert wird (zum Beispiel --from 2026-12-07T20:00 --to 2026-12-08T06:00).</translation>
    </message>
    <message>
        <source>--laser is required with --export-csv: the serial number of the laser whose recording to export.</source>
        <translation>--export-csv braucht --laser: die Seriennummer des Lasers, dessen Aufzeichnung exportiert wird.</translation>
    </message>
    <message>
        <source>The argument "%1" is not valid text in the system's encoding (%2); give names and values in that encoding.</source>
        <translation>Das Argument "%1" ist kein gültiger Text in der Zeichenkodierung des Systems (%2); geben Sie Namen und Werte in dieser Kodierung an.</translation>
    </message>
    <message>
        <source>List the quantities of the laser (key, label, unit, kind, writable, limits) and exit.</source>
        <translation>Die Größen des Lasers auflisten (Schlüssel, Bezeichnung, Einheit, Art, schreibbar, Grenzen) und beenden.</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Schlüssel</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Bezeichnung</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Writable</source>
        <translation>Schreibbar</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Grenzen</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>--remote: "%1" is no [ADDRESS:]PORT (a port from 1 to 65535, an IP address before it if scripts are to reach the laser from another computer).</source>
        <translation>--remote: „%1“ ist kein [ADRESSE:]PORT (ein Port von 1 bis 65535, davor eine IP-Adresse, wenn Skripte den Laser von einem anderen Rechner erreichen sollen).</translation>
    </message>
    <message>
        <source>--remote-allow allows what scripts on --remote may do; give --remote [ADDRESS:]PORT too.</source>
        <translation>--remote-allow erlaubt Skripten an --remote Änderungen; geben Sie auch --remote [ADRESSE:]PORT an.</translation>
    </message>
    <message>
        <source>Serve the laser to scripts on PORT (loopback unless ADDRESS is given), as File › Remote control › Listen for scripts does.</source>
        <translation>Den Laser auf PORT für Skripte bereitstellen (nur lokal, wenn keine ADRESSE angegeben ist), wie Datei › Fernsteuerung › Auf Skripte warten.</translation>
    </message>
    <message>
        <source>With --remote: allow scripts to change the laser from the start, as File › Remote control › Allow remote control does.</source>
        <translation>Mit --remote: Skripten von Anfang an erlauben, den Laser zu ändern, wie Datei › Fernsteuerung › Fernsteuerung erlauben.</translation>
    </message>
</context>
<context>
    <name>ConnectionBanner</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>ConnectionStatusBar</name>
    <message>
        <source>Unavailable since %1 (no answer since %2)</source>
        <translation>Nicht verfügbar seit %1 (keine Antwort seit %2)</translation>
    </message>
    <message>
        <source>Lost at %1, waiting for the port</source>
        <translation>Verloren um %1, warte auf die Schnittstelle</translation>
    </message>
    <message>
        <source>No port</source>
        <translation>Keine Schnittstelle</translation>
    </message>
    <message>
        <source>S/N %1</source>
        <translation>SN %1</translation>
    </message>
    <message>
        <source>Unavailable since %1</source>
        <translation>Nicht verfügbar seit %1</translation>
    </message>
    <message>
        <source>Lost at %1</source>
        <translation>Verloren um %1</translation>
    </message>
</context>
<context>
    <name>GUIOverlay</name>
    <message>
        <source>Unavailable</source>
        <translation>Nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>LumetraAlarmMonitor</name>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Listen -&gt; Standby</source>
        <translation>Listen -&gt; Standby</translation>
    </message>
    <message>
        <source>Standby</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>Standby -&gt; Listen</source>
        <translation>Standby -&gt; Listen</translation>
    </message>
    <message>
        <source>Standby -&gt; On, output disabled</source>
        <translation>Standby -&gt; An, Ausgang gesperrt</translation>
    </message>
    <message>
        <source>Standby -&gt; On, output enabled</source>
        <translation>Standby -&gt; An, Ausgang freigegeben</translation>
    </message>
    <message>
        <source>On, output disabled</source>
        <translation>An, Ausgang gesperrt</translation>
    </message>
    <message>
        <source>On, output enabled</source>
        <translation>An, Ausgang freigegeben</translation>
    </message>
    <message>
        <source>On, output disabled -&gt; Standby</source>
        <translation>An, Ausgang gesperrt -&gt; Standby</translation>
    </message>
    <message>
        <source>On, output enabled -&gt; Standby</source>
        <translation>An, Ausgang freigegeben -&gt; Standby</translation>
    </message>
    <message>
        <source>On, output disabled -&gt; Listen</source>
        <translation>An, Ausgang gesperrt -&gt; Listen</translation>
    </message>
    <message>
        <source>On, output enabled -&gt; Listen</source>
        <translation>An, Ausgang freigegeben -&gt; Listen</translation>
    </message>
    <message>
        <source>Laser error (status byte 0x%1)</source>
        <translation>Laserfehler (Statusbyte 0x%1)</translation>
    </message>
    <message>
        <source>Laser warning (status byte 0x%1)</source>
        <translation>Laserwarnung (Statusbyte 0x%1)</translation>
    </message>
    <message>
        <source>HG Error code: %1 - %2</source>
        <translation>HG-Fehlercode: %1 - %2</translation>
    </message>
    <message>
        <source>Oven fault (HG status flags 0x%1)</source>
        <translation>Ofenfehler (HG-Statusflags 0x%1)</translation>
    </message>
    <message>
        <source>Humidity fault (HG status flags 0x%1)</source>
        <translation>Feuchtefehler (HG-Statusflags 0x%1)</translation>
    </message>
    <message>
        <source>HG warning: %1</source>
        <translation>HG-Warnung: %1</translation>
    </message>
    <message>
        <source>State: %1</source>
        <translation>Zustand: %1</translation>
    </message>
    <message>
        <source>connection closed</source>
        <translation>Verbindung geschlossen</translation>
    </message>
    <message>
        <source>Cleared (%1): %2</source>
        <translation>Behoben (%1): %2</translation>
    </message>
    <message>
        <source>Cleared: %1</source>
        <translation>Behoben: %1</translation>
    </message>
</context>
<context>
    <name>LumetraControlPage</name>
    <message>
        <source>Operating mode</source>
        <translation>Betriebsart</translation>
    </message>
    <message>
        <source>Internal</source>
        <translation>Intern</translation>
    </message>
    <message>
        <source>External</source>
        <translation>Extern</translation>
    </message>
    <message>
        <source>SPI</source>
        <translation>SPI</translation>
    </message>
    <message>
        <source>Wavelength selector</source>
        <translation>Wellenlängenwahl</translation>
    </message>
    <message>
        <source>Measured IR energy</source>
        <translation>Gemessene IR-Energie</translation>
    </message>
    <message>
        <source>Measured Green energy</source>
        <translation>Gemessene Grün-Energie</translation>
    </message>
    <message>
        <source>Measured UV energy</source>
        <translation>Gemessene UV-Energie</translation>
    </message>
    <message>
        <source>Measured DUV energy</source>
        <translation>Gemessene DUV-Energie</translation>
    </message>
    <message>
        <source>Dynamic Wavelength Switching</source>
        <translation>Dynamische Wellenlängenumschaltung</translation>
    </message>
    <message>
        <source>set AOM
energy level</source>
        <translation>AOM-Energie-
pegel setzen</translation>
    </message>
    <message>
        <source>IR Energy control</source>
        <translation>IR-Energiesteuerung</translation>
    </message>
    <message>
        <source>µJ</source>
        <translation>µJ</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Output repetition rate</source>
        <translation>Ausgangsrepetitionsrate</translation>
    </message>
    <message>
        <source>Rep rate control</source>
        <translation>Repetitionsrate</translation>
    </message>
    <message>
        <source>kHz</source>
        <translation>kHz</translation>
    </message>
    <message>
        <source>Rep rate divider control</source>
        <translation>Teiler der Repetitionsrate</translation>
    </message>
    <message>
        <source>Division factor control</source>
        <translation>Teilungsfaktor</translation>
    </message>
    <message>
        <source> µJ</source>
        <translation> µJ</translation>
    </message>
    <message>
        <source> kHz</source>
        <translation> kHz</translation>
    </message>
</context>
<context>
    <name>LumetraController</name>
    <message>
        <source>Unknown system type connected: %1</source>
        <translation>Unbekannter Systemtyp verbunden: %1</translation>
    </message>
    <message>
        <source>Unknown application type connected: %1</source>
        <translation>Unbekannter Anwendungstyp verbunden: %1</translation>
    </message>
    <message>
        <source>Parsing error: %1</source>
        <translation>Fehler beim Auswerten: %1</translation>
    </message>
    <message>
        <source>Lumetra message: %1</source>
        <translation>Lumetra-Meldung: %1</translation>
    </message>
    <message>
        <source>HG Error code: %1 - %2</source>
        <translation>HG-Fehlercode: %1 - %2</translation>
    </message>
</context>
<context>
    <name>LumetraCrystalSpotGroup</name>
    <message>
        <source>THG crystal spot selection</source>
        <translation>THG-Kristallpunktwahl</translation>
    </message>
    <message>
        <source>Current spot run hours</source>
        <translation>Betriebsstunden des Punkts</translation>
    </message>
    <message>
        <source>Show all
spots</source>
        <translation>Alle Punkte
zeigen</translation>
    </message>
    <message>
        <source>Current crystal spot</source>
        <translation>Aktueller Kristallpunkt</translation>
    </message>
    <message>
        <source>%1 hours of %2</source>
        <translation>%1 Stunden von %2</translation>
    </message>
    <message>
        <source>The crystal has the spots %1 to %2.</source>
        <translation>Der Kristall hat die Punkte %1 bis %2.</translation>
    </message>
    <message>
        <source>Crystal spot</source>
        <translation>Kristallpunkt</translation>
    </message>
    <message>
        <source>** Warning **</source>
        <translation>** Warnung **</translation>
    </message>
    <message>
        <source>There is no spot %1.</source>
        <translation>Es gibt keinen Punkt %1.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>LumetraCsvExport</name>
    <message>
        <source>Time (UTC)</source>
        <translation>Zeit (UTC)</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Cleared</source>
        <translation>Behoben</translation>
    </message>
    <message>
        <source>Acknowledged</source>
        <translation>Quittiert</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Aufzeichnung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Severity</source>
        <translation>Schwere</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Cleared (UTC)</source>
        <translation>Behoben (UTC)</translation>
    </message>
    <message>
        <source>Acknowledged by</source>
        <translation>Quittiert von</translation>
    </message>
    <message>
        <source>Acknowledged (UTC)</source>
        <translation>Quittiert (UTC)</translation>
    </message>
    <message>
        <source>it is the recording being exported</source>
        <translation>Es ist die Aufzeichnung, die exportiert wird</translation>
    </message>
    <message>
        <source>it is in the recordings folder %1, which is kept for recordings</source>
        <translation>Die Datei liegt im Aufzeichnungsordner %1, der den Aufzeichnungen vorbehalten ist</translation>
    </message>
    <message>
        <source>it is an SQLite database, perhaps a recording, which an export never replaces</source>
        <translation>Es ist eine SQLite-Datenbank, vielleicht eine Aufzeichnung, und ein Export ersetzt sie nie</translation>
    </message>
    <message>
        <source>--export-csv needs a file and --laser SERIAL.</source>
        <translation>--export-csv braucht eine Datei und --laser SERIAL.</translation>
    </message>
    <message>
        <source>--from and --to need ISO 8601 times (for example 2026-01-31T22:00:00Z), --to after --from.</source>
        <translation>--from und --to brauchen Zeiten nach ISO 8601 (zum Beispiel 2026-01-31T22:00:00Z), --to nach --from.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 ist nicht schreibbar: %2</translation>
    </message>
    <message>
        <source>No recording of laser %1 in %2.</source>
        <translation>Keine Aufzeichnung von Laser %1 in %2.</translation>
    </message>
    <message>
        <source>Recorded lasers: %1</source>
        <translation>Aufgezeichnete Laser: %1</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 ist nicht lesbar: %2</translation>
    </message>
    <message>
        <source>Unknown quantity %1.</source>
        <translation>Unbekannte Größe %1.</translation>
    </message>
</context>
<context>
    <name>LumetraEventsView</name>
    <message>
        <source>All events</source>
        <translation>Alle Ereignisse</translation>
    </message>
    <message>
        <source>Alarms only</source>
        <translation>Nur Alarme</translation>
    </message>
    <message>
        <source>Filter by text</source>
        <translation>Nach Text filtern</translation>
    </message>
    <message>
        <source>Acknowledge</source>
        <translation>Quittieren</translation>
    </message>
    <message>
        <source>Export CSV...</source>
        <translation>CSV exportieren...</translation>
    </message>
    <message>
        <source>Laser</source>
        <translation>Laser</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Cleared</source>
        <translation>Behoben</translation>
    </message>
    <message>
        <source>Acknowledged</source>
        <translation>Quittiert</translation>
    </message>
    <message>
        <source>unknown user</source>
        <translation>unbekannter Benutzer</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>CSV exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 ist nicht schreibbar: %2</translation>
    </message>
</context>
<context>
    <name>LumetraHGErrorTable</name>
    <message>
        <source>TBD</source>
        <translation>Nicht belegt</translation>
    </message>
    <message>
        <source>Power Supply Low Voltage</source>
        <translation>Unterspannung der Stromversorgung</translation>
    </message>
    <message>
        <source>FRAM Issues</source>
        <translation>FRAM-Probleme</translation>
    </message>
    <message>
        <source>Watchdog</source>
        <translation>Watchdog</translation>
    </message>
    <message>
        <source>Board Temperature (Ambient)</source>
        <translation>Platinentemperatur (Umgebung)</translation>
    </message>
    <message>
        <source>Oven 1 Temperature</source>
        <translation>Temperatur Ofen 1</translation>
    </message>
    <message>
        <source>Oven 2 Temperature</source>
        <translation>Temperatur Ofen 2</translation>
    </message>
    <message>
        <source>Oven 1 NTC</source>
        <translation>NTC Ofen 1</translation>
    </message>
    <message>
        <source>Oven 2 NTC</source>
        <translation>NTC Ofen 2</translation>
    </message>
    <message>
        <source>Shutter pos sensor 1</source>
        <translation>Shutter-Positionssensor 1</translation>
    </message>
    <message>
        <source>Shutter pos sensor 2</source>
        <translation>Shutter-Positionssensor 2</translation>
    </message>
    <message>
        <source>Shutter pos sensor3</source>
        <translation>Shutter-Positionssensor 3</translation>
    </message>
    <message>
        <source>Waveplate</source>
        <translation>Wellenplatte</translation>
    </message>
    <message>
        <source>PD optical</source>
        <translation>Fotodiode optisch</translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation>Luftfeuchte</translation>
    </message>
    <message>
        <source>Shutter position in wrong state</source>
        <translation>Shutter in falscher Stellung</translation>
    </message>
    <message>
        <source>Laser on sys not ready</source>
        <translation>Laser an, System nicht bereit</translation>
    </message>
    <message>
        <source>3.3V Supply Out of Range.</source>
        <translation>3,3-V-Versorgung außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>Interlock Disconnected.</source>
        <translation>Interlock getrennt.</translation>
    </message>
    <message>
        <source>Power Supply Low Voltage.</source>
        <translation>Unterspannung der Stromversorgung.</translation>
    </message>
    <message>
        <source>FRAM Issues.</source>
        <translation>FRAM-Probleme.</translation>
    </message>
    <message>
        <source>Module Disabled.</source>
        <translation>Modul abgeschaltet.</translation>
    </message>
    <message>
        <source>Board Temperature (Ambient).</source>
        <translation>Platinentemperatur (Umgebung).</translation>
    </message>
    <message>
        <source>Oven Temperature.</source>
        <translation>Ofentemperatur.</translation>
    </message>
    <message>
        <source>Output Power.</source>
        <translation>Ausgangsleistung.</translation>
    </message>
    <message>
        <source>Humidity High.</source>
        <translation>Luftfeuchte zu hoch.</translation>
    </message>
    <message>
        <source>12V Supply Out of Range.</source>
        <translation>12-V-Versorgung außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>5V Supply Out of Range.</source>
        <translation>5-V-Versorgung außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>2.048V Supply Out of Range.</source>
        <translation>2,048-V-Versorgung außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>Piezo Voltage Out of Range.</source>
        <translation>Piezospannung außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>ADCA State Machine.</source>
        <translation>Zustandsautomat ADCA.</translation>
    </message>
    <message>
        <source>ADCB State Machine.</source>
        <translation>Zustandsautomat ADCB.</translation>
    </message>
    <message>
        <source>Oven Fault.</source>
        <translation>Ofenfehler.</translation>
    </message>
    <message>
        <source>HG Unknown error code.</source>
        <translation>HG: unbekannter Fehlercode.</translation>
    </message>
</context>
<context>
    <name>LumetraHGPage</name>
    <message>
        <source>Dynamic wavelength feature</source>
        <translation>Dynamische Wellenlängenfunktion</translation>
    </message>
    <message>
        <source>Enable Dynamic
Wavelength feature</source>
        <translation>Dyn. Wellenlängen-
funktion einschalten</translation>
    </message>
    <message>
        <source>Disable Dynamic
Wavelength feature</source>
        <translation>Dyn. Wellenlängen-
funktion ausschalten</translation>
    </message>
    <message>
        <source>Output power</source>
        <translation>Ausgangsleistung</translation>
    </message>
    <message>
        <source>Measured IR power</source>
        <translation>Gemessene IR-Leistung</translation>
    </message>
    <message>
        <source>Measured Green power</source>
        <translation>Gemessene Grün-Leistung</translation>
    </message>
    <message>
        <source>Measured UV power</source>
        <translation>Gemessene UV-Leistung</translation>
    </message>
    <message>
        <source>Measured DUV power</source>
        <translation>Gemessene DUV-Leistung</translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation>Luftfeuchte</translation>
    </message>
    <message>
        <source>Oven</source>
        <translation>Ofen</translation>
    </message>
    <message>
        <source>Oven mode</source>
        <translation>Ofenmodus</translation>
    </message>
    <message>
        <source>Disabled</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Enabled</source>
        <translation>Ein</translation>
    </message>
    <message>
        <source>Measured SHG oven temperature</source>
        <translation>Gemessene SHG-Ofentemperatur</translation>
    </message>
    <message>
        <source>Measured THG oven temperature</source>
        <translation>Gemessene THG-Ofentemperatur</translation>
    </message>
    <message>
        <source>SHG Oven temperature setpoint</source>
        <translation>Sollwert SHG-Ofentemperatur</translation>
    </message>
    <message>
        <source>THG Oven temperature setpoint</source>
        <translation>Sollwert THG-Ofentemperatur</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>°C</source>
        <translation>°C</translation>
    </message>
</context>
<context>
    <name>LumetraLinkEngine</name>
    <message>
        <source>the laser did not answer for %1 s</source>
        <translation>der Laser hat %1 s lang nicht geantwortet</translation>
    </message>
    <message>
        <source>Command "%1" dropped: %2</source>
        <translation>Befehl „%1“ verworfen: %2</translation>
    </message>
    <message>
        <source>Received line longer than %1 bytes discarded.</source>
        <translation>Empfangene Zeile länger als %1 Bytes verworfen.</translation>
    </message>
    <message>
        <source>Command not sent, it begins with the prompt character &gt;: %1</source>
        <translation>Befehl nicht gesendet, er beginnt mit dem Eingabezeichen &gt;: %1</translation>
    </message>
    <message>
        <source>Command not sent, the laser cannot receive the character %1: %2</source>
        <translation>Befehl nicht gesendet, der Laser kann das Zeichen %1 nicht empfangen: %2</translation>
    </message>
    <message>
        <source>Command not sent, it holds a line break: %1</source>
        <translation>Befehl nicht gesendet, er enthält einen Zeilenumbruch: %1</translation>
    </message>
    <message>
        <source>Command not sent, it is longer than the %1 characters the laser accepts: %2</source>
        <translation>Befehl nicht gesendet, er ist länger als die %1 Zeichen, die der Laser annimmt: %2</translation>
    </message>
    <message numerus="yes">
        <source>Dropped %n command(s) given while the laser was not connected: %1</source>
        <translation>
            <numerusform>Einen Befehl verworfen, der gegeben wurde, während der Laser nicht verbunden war: %1</numerusform>
            <numerusform>%n Befehle verworfen, die gegeben wurden, während der Laser nicht verbunden war: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>the laser was not connected</source>
        <translation>der Laser war nicht verbunden</translation>
    </message>
</context>
<context>
    <name>LumetraOperatorState</name>
    <message>
        <source>listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>standby</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>laser on, output disabled</source>
        <translation>Laser an, Ausgang gesperrt</translation>
    </message>
    <message>
        <source>laser on, output enabled</source>
        <translation>Laser an, Ausgang freigegeben</translation>
    </message>
    <message>
        <source>No port open</source>
        <translation>Keine Schnittstelle geöffnet</translation>
    </message>
    <message>
        <source>changing from %1 to %2</source>
        <translation>Wechsel von %1 zu %2</translation>
    </message>
    <message>
        <source>power on</source>
        <translation>eingeschaltet</translation>
    </message>
    <message>
        <source>no operating state</source>
        <translation>kein Betriebszustand</translation>
    </message>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Connected to %1</source>
        <translation>Verbunden mit %1</translation>
    </message>
    <message>
        <source>Connected to %1: %2</source>
        <translation>Verbunden mit %1: %2</translation>
    </message>
    <message>
        <source>No laser answers on %1</source>
        <translation>Kein Laser antwortet an %1</translation>
    </message>
    <message>
        <source>Connecting to %1</source>
        <translation>Verbinde mit %1</translation>
    </message>
    <message>
        <source>The laser on %1 does not answer</source>
        <translation>Der Laser an %1 antwortet nicht</translation>
    </message>
    <message>
        <source>%1 is lost</source>
        <translation>%1 ist verloren</translation>
    </message>
    <message>
        <source>Another laser answered on %1</source>
        <translation>An %1 hat ein anderer Laser geantwortet</translation>
    </message>
    <message>
        <source>Last report %1: %2</source>
        <translation>Letzte Meldung %1: %2</translation>
    </message>
    <message>
        <source>Emission may continue</source>
        <translation>Emission kann andauern</translation>
    </message>
</context>
<context>
    <name>LumetraPipeTransport</name>
    <message>
        <source>%1 has no other end.</source>
        <translation>%1 hat kein anderes Ende.</translation>
    </message>
    <message>
        <source>The other end of %1 hung up.</source>
        <translation>Das andere Ende von %1 hat aufgelegt.</translation>
    </message>
</context>
<context>
    <name>LumetraPortHolder</name>
    <message>
        <source>a program that has ended</source>
        <translation>ein beendetes Programm</translation>
    </message>
    <message>
        <source>%1 (process %2)</source>
        <translation>%1 (Prozess %2)</translation>
    </message>
</context>
<context>
    <name>LumetraQuantityTable</name>
    <message>
        <source>Laser</source>
        <translation>Laser</translation>
    </message>
    <message>
        <source>Status byte</source>
        <translation>Statusbyte</translation>
    </message>
    <message>
        <source>System state</source>
        <translation>Systemzustand</translation>
    </message>
    <message>
        <source>Energy set-point</source>
        <translation>Energie-Sollwert</translation>
    </message>
    <message>
        <source>Power set-point</source>
        <translation>Leistungs-Sollwert</translation>
    </message>
    <message>
        <source>Measured energy</source>
        <translation>Gemessene Energie</translation>
    </message>
    <message>
        <source>Repetition rate</source>
        <translation>Repetitionsrate</translation>
    </message>
    <message>
        <source>Frequency index</source>
        <translation>Frequenzindex</translation>
    </message>
    <message>
        <source>Division factor</source>
        <translation>Teilungsfaktor</translation>
    </message>
    <message>
        <source>AOM mode of operation</source>
        <translation>AOM-Betriebsart</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>Shutter</translation>
    </message>
    <message>
        <source>Diode driver current</source>
        <translation>Diodentreiberstrom</translation>
    </message>
    <message>
        <source>Device on time</source>
        <translation>Einschaltdauer</translation>
    </message>
    <message>
        <source>Emission time</source>
        <translation>Emissionsdauer</translation>
    </message>
    <message>
        <source>Temperatures</source>
        <translation>Temperaturen</translation>
    </message>
    <message>
        <source>Temperature 1</source>
        <translation>Temperatur 1</translation>
    </message>
    <message>
        <source>Temperature 2</source>
        <translation>Temperatur 2</translation>
    </message>
    <message>
        <source>Temperature 3</source>
        <translation>Temperatur 3</translation>
    </message>
    <message>
        <source>Temperature 4</source>
        <translation>Temperatur 4</translation>
    </message>
    <message>
        <source>Temperature 5</source>
        <translation>Temperatur 5</translation>
    </message>
    <message>
        <source>Temperature 6</source>
        <translation>Temperatur 6</translation>
    </message>
    <message>
        <source>Temperature 7</source>
        <translation>Temperatur 7</translation>
    </message>
    <message>
        <source>Temperature 8</source>
        <translation>Temperatur 8</translation>
    </message>
    <message>
        <source>Temperature 9</source>
        <translation>Temperatur 9</translation>
    </message>
    <message>
        <source>Temperature 10</source>
        <translation>Temperatur 10</translation>
    </message>
    <message>
        <source>Harmonic module</source>
        <translation>Harmonischenmodul</translation>
    </message>
    <message>
        <source>Oven 1 temperature</source>
        <translation>Ofen 1 Temperatur</translation>
    </message>
    <message>
        <source>Oven 2 temperature</source>
        <translation>Ofen 2 Temperatur</translation>
    </message>
    <message>
        <source>Oven 1 set-point</source>
        <translation>Ofen 1 Sollwert</translation>
    </message>
    <message>
        <source>Oven 2 set-point</source>
        <translation>Ofen 2 Sollwert</translation>
    </message>
    <message>
        <source>Oven state</source>
        <translation>Ofenzustand</translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation>Luftfeuchte</translation>
    </message>
    <message>
        <source>SHG output power</source>
        <translation>SHG-Ausgangsleistung</translation>
    </message>
    <message>
        <source>THG output power</source>
        <translation>THG-Ausgangsleistung</translation>
    </message>
    <message>
        <source>Status flags</source>
        <translation>Statusflags</translation>
    </message>
    <message>
        <source>Error code</source>
        <translation>Fehlercode</translation>
    </message>
    <message>
        <source>Crystal spot</source>
        <translation>Kristallpunkt</translation>
    </message>
    <message>
        <source>Crystal spot run time</source>
        <translation>Laufzeit des Kristallpunkts</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgang</translation>
    </message>
    <message>
        <source>IR pulse energy</source>
        <translation>IR-Pulsenergie</translation>
    </message>
    <message>
        <source>Green pulse energy</source>
        <translation>Grün-Pulsenergie</translation>
    </message>
    <message>
        <source>UV pulse energy</source>
        <translation>UV-Pulsenergie</translation>
    </message>
    <message>
        <source>IR output power</source>
        <translation>IR-Ausgangsleistung</translation>
    </message>
    <message>
        <source>Green output power</source>
        <translation>Grün-Ausgangsleistung</translation>
    </message>
    <message>
        <source>UV output power</source>
        <translation>UV-Ausgangsleistung</translation>
    </message>
    <message>
        <source>Output repetition rate</source>
        <translation>Ausgangsrepetitionsrate</translation>
    </message>
    <message>
        <source>States</source>
        <translation>Zustände</translation>
    </message>
    <message>
        <source>Power on</source>
        <translation>Eingeschaltet</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Standby</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>Laser on</source>
        <translation>Laser an</translation>
    </message>
    <message>
        <source>Output enabled</source>
        <translation>Ausgang freigegeben</translation>
    </message>
    <message>
        <source>Oven fault</source>
        <translation>Ofenfehler</translation>
    </message>
    <message>
        <source>Humidity fault</source>
        <translation>Feuchtefehler</translation>
    </message>
    <message>
        <source>Harmonic module error</source>
        <translation>Fehler des Harmonischenmoduls</translation>
    </message>
    <message>
        <source>Pulse-picker repetition rate</source>
        <translation>Repetitionsrate des Pulse-Pickers</translation>
    </message>
    <message>
        <source>Wavelength</source>
        <translation>Wellenlänge</translation>
    </message>
    <message>
        <source>Harmonic output</source>
        <translation>Harmonischer Ausgang</translation>
    </message>
    <message>
        <source>Rated crystal spot run time</source>
        <translation>Nennlaufzeit eines Kristallspots</translation>
    </message>
    <message>
        <source>Error text</source>
        <translation>Fehlertext</translation>
    </message>
    <message>
        <source>System type</source>
        <translation>Systemtyp</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>reported by the laser</source>
        <translation>vom Laser gemeldet</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>Module type</source>
        <translation>Modultyp</translation>
    </message>
    <message>
        <source>Module warning</source>
        <translation>Modulwarnung</translation>
    </message>
</context>
<context>
    <name>LumetraReconnector</name>
    <message>
        <source>Closed</source>
        <translation>Geschlossen</translation>
    </message>
    <message>
        <source>Connecting: waiting 2 s</source>
        <translation>Verbinden: 2 s warten</translation>
    </message>
    <message>
        <source>Connecting: handshake</source>
        <translation>Verbinden: Handshake</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Unavailable</source>
        <translation>Nicht verfügbar</translation>
    </message>
    <message>
        <source>Lost, waiting for the port</source>
        <translation>Verloren, warte auf die Schnittstelle</translation>
    </message>
    <message>
        <source>Closed: another laser answered</source>
        <translation>Geschlossen: ein anderer Laser hat geantwortet</translation>
    </message>
    <message>
        <source>Stopped waiting for %1 to return.</source>
        <translation>Das Warten auf %1 wurde beendet.</translation>
    </message>
    <message>
        <source>%1 is back: reopened, waiting for the laser.</source>
        <translation>%1 ist zurück: wieder geöffnet, warte auf den Laser.</translation>
    </message>
    <message>
        <source>Connecting to %1.</source>
        <translation>Verbinde mit %1.</translation>
    </message>
    <message>
        <source>Another laser answered on %1 (%2 %3 instead of %4 %5); the connection stays closed.</source>
        <translation>An %1 hat ein anderer Laser geantwortet (%2 %3 statt %4 %5); die Verbindung bleibt geschlossen.</translation>
    </message>
    <message>
        <source>Connection to %1 closed.</source>
        <translation>Verbindung zu %1 geschlossen.</translation>
    </message>
    <message>
        <source>Connection to %1 lost at %2; reconnecting when it returns.</source>
        <translation>Verbindung zu %1 um %2 verloren; sie wird wiederhergestellt, sobald die Schnittstelle zurückkehrt.</translation>
    </message>
    <message>
        <source>%1 is not back yet; still waiting for it to return.</source>
        <translation>%1 ist noch nicht wieder da; es wird weiter auf die Rückkehr gewartet.</translation>
    </message>
    <message>
        <source>The adapter of %1 (USB serial number %2) is back as %3.</source>
        <translation>Der Adapter von %1 (USB-Seriennummer %2) ist als %3 zurück.</translation>
    </message>
    <message>
        <source>Identifying the laser on %1.</source>
        <translation>Laser an %1 wird identifiziert.</translation>
    </message>
    <message>
        <source>Connected again to %1 (%2 %3).</source>
        <translation>Wieder verbunden mit %1 (%2 %3).</translation>
    </message>
    <message>
        <source>Connected to %1 (%2 %3).</source>
        <translation>Verbunden mit %1 (%2 %3).</translation>
    </message>
    <message>
        <source>Laser on %1 unavailable: no echo since %2.</source>
        <translation>Laser an %1 nicht verfügbar: kein Echo seit %2.</translation>
    </message>
</context>
<context>
    <name>LumetraRecordStore</name>
    <message>
        <source>The recording %1 was damaged. It was moved to %2 and a new one begun.</source>
        <translation>Die Aufzeichnung %1 war beschädigt. Sie wurde nach %2 verschoben und eine neue begonnen.</translation>
    </message>
    <message>
        <source>%1 is not a recording of this program. It was moved to %2 and a new one begun.</source>
        <translation>%1 ist keine Aufzeichnung dieses Programms. Die Datei wurde nach %2 verschoben und eine neue Aufzeichnung begonnen.</translation>
    </message>
    <message>
        <source>The recording %1 was deleted or moved away while in use. A new one was begun under the same name.</source>
        <translation>Die Aufzeichnung %1 wurde während der Aufzeichnung gelöscht oder verschoben. Unter demselben Namen wurde eine neue begonnen.</translation>
    </message>
</context>
<context>
    <name>LumetraRecorder</name>
    <message>
        <source>The recorder's retention setting "%1" is not a whole number of days from 1 to %2.</source>
        <translation>Die Aufbewahrungseinstellung der Aufzeichnung „%1“ ist keine ganze Zahl von Tagen von 1 bis %2.</translation>
    </message>
    <message>
        <source>%1 Recordings are kept for %2 days instead.</source>
        <translation>%1 Aufzeichnungen werden stattdessen %2 Tage lang aufbewahrt.</translation>
    </message>
    <message>
        <source>Stopped waiting for %1 to return</source>
        <translation>Das Warten auf %1 wurde beendet</translation>
    </message>
    <message>
        <source>the port is lost</source>
        <translation>die Schnittstelle ist verloren</translation>
    </message>
    <message>
        <source>no port is open</source>
        <translation>keine Schnittstelle ist geöffnet</translation>
    </message>
    <message>
        <source>Command "%1" dropped: %2</source>
        <translation>Befehl „%1“ verworfen: %2</translation>
    </message>
    <message>
        <source>serial monitor</source>
        <translation>serieller Monitor</translation>
    </message>
    <message>
        <source>%1 (not sent: %2)</source>
        <translation>%1 (nicht gesendet: %2)</translation>
    </message>
    <message>
        <source>panel</source>
        <translation>Bedienfeld</translation>
    </message>
    <message>
        <source>Acknowledged by %1</source>
        <translation>Quittiert von %1</translation>
    </message>
    <message>
        <source>Identified laser %1</source>
        <translation>Laser %1 identifiziert</translation>
    </message>
    <message>
        <source>The laser reported no usable serial number. It is recorded as %1.</source>
        <translation>Der Laser hat keine brauchbare Seriennummer gemeldet. Er wird als %1 aufgezeichnet.</translation>
    </message>
    <message>
        <source>Port %1 opened</source>
        <translation>Schnittstelle %1 geöffnet</translation>
    </message>
    <message>
        <source>Another laser answered on %1: %2. The connection stays closed.</source>
        <translation>An %1 hat ein anderer Laser geantwortet: %2. Die Verbindung bleibt geschlossen.</translation>
    </message>
    <message>
        <source>Port %1 lost</source>
        <translation>Schnittstelle %1 verloren</translation>
    </message>
    <message>
        <source>Port %1 closed</source>
        <translation>Schnittstelle %1 geschlossen</translation>
    </message>
    <message>
        <source>Connection to the laser lost</source>
        <translation>Verbindung zum Laser verloren</translation>
    </message>
    <message>
        <source>Recording paused: %1 cannot be opened (%2). The newest readings are kept in memory and the recorder tries again.</source>
        <translation>Aufzeichnung angehalten: %1 lässt sich nicht öffnen (%2). Die neuesten Messwerte bleiben im Speicher, und die Aufzeichnung versucht es erneut.</translation>
    </message>
    <message>
        <source>Recording paused: writing %1 failed (%2). The newest readings are kept in memory and the recorder tries again.</source>
        <translation>Aufzeichnung angehalten: Schreiben von %1 fehlgeschlagen (%2). Die neuesten Messwerte bleiben im Speicher, und die Aufzeichnung versucht es erneut.</translation>
    </message>
    <message>
        <source>Recording resumed; %1 readings could not be kept meanwhile.</source>
        <translation>Aufzeichnung fortgesetzt; %1 Messwerte konnten in der Zwischenzeit nicht behalten werden.</translation>
    </message>
    <message>
        <source>Recording resumed.</source>
        <translation>Aufzeichnung fortgesetzt.</translation>
    </message>
    <message>
        <source>The readings of laser %1 kept in memory were written to %2; %3 readings could not be kept meanwhile.</source>
        <translation>Die im Speicher gehaltenen Messwerte des Lasers %1 wurden in %2 geschrieben; %3 Messwerte konnten in der Zwischenzeit nicht behalten werden.</translation>
    </message>
    <message>
        <source>The readings of laser %1 kept in memory were written to %2.</source>
        <translation>Die im Speicher gehaltenen Messwerte des Lasers %1 wurden in %2 geschrieben.</translation>
    </message>
</context>
<context>
    <name>LumetraRemoteControl</name>
    <message>
        <source>Output
enable</source>
        <translation>Ausgang
freigeben</translation>
    </message>
    <message>
        <source>Laser On</source>
        <translation>Laser an</translation>
    </message>
    <message>
        <source>Standby</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Output
disable</source>
        <translation>Ausgang
sperren</translation>
    </message>
</context>
<context>
    <name>LumetraResponseDecoder</name>
    <message>
        <source>Shutter in wrong position</source>
        <translation>Shutter in falscher Stellung</translation>
    </message>
    <message>
        <source>%1 hours %2 minutes</source>
        <translation>%1 Stunden %2 Minuten</translation>
    </message>
</context>
<context>
    <name>LumetraRuntimeTable</name>
    <message>
        <source>Crystal spot run times</source>
        <translation>Laufzeiten der Kristallpunkte</translation>
    </message>
    <message>
        <source>Spot</source>
        <translation>Punkt</translation>
    </message>
    <message>
        <source>Current runtime</source>
        <translation>Aktuelle Laufzeit</translation>
    </message>
    <message>
        <source>Maximum runtime</source>
        <translation>Maximale Laufzeit</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>LumetraScpiServer</name>
    <message>
        <source>the remote interface was turned off</source>
        <translation>die Fernsteuerung wurde ausgeschaltet</translation>
    </message>
    <message>
        <source>Remote client %1 refused: already %2 clients</source>
        <translation>Fernsteuerungs-Client %1 abgewiesen: bereits %2 Clients</translation>
    </message>
    <message>
        <source>it does not read its answers</source>
        <translation>er liest seine Antworten nicht</translation>
    </message>
    <message>
        <source>Remote client %1 disconnected</source>
        <translation>Fernsteuerungs-Client %1 getrennt</translation>
    </message>
    <message>
        <source>Remote client %1 connected</source>
        <translation>Fernsteuerungs-Client %1 verbunden</translation>
    </message>
    <message>
        <source>Remote client %1 closed: %2</source>
        <translation>Fernsteuerungs-Client %1 geschlossen: %2</translation>
    </message>
</context>
<context>
    <name>LumetraSerialHandler</name>
    <message>
        <source>No answer on %1; closing the connection to make it again.</source>
        <translation>Keine Antwort auf %1; die Verbindung wird geschlossen und neu aufgebaut.</translation>
    </message>
    <message>
        <source>Communication port %1 open failed. Reason: %2</source>
        <translation>Öffnen der Schnittstelle %1 fehlgeschlagen. Grund: %2</translation>
    </message>
    <message>
        <source>Communication port %1 successfully opened.</source>
        <translation>Schnittstelle %1 erfolgreich geöffnet.</translation>
    </message>
    <message>
        <source>Communication port %1 closed.</source>
        <translation>Schnittstelle %1 geschlossen.</translation>
    </message>
    <message>
        <source>An error occurred while attempting to open an non-existing device.</source>
        <translation>Beim Öffnen eines nicht vorhandenen Geräts ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>An error occurred while attempting to open an already opened device by another process or a user not having enough permission and credentials to open.</source>
        <translation>Beim Öffnen ist ein Fehler aufgetreten: Das Gerät ist bereits von einem anderen Prozess geöffnet, oder dem Benutzer fehlen die Rechte zum Öffnen.</translation>
    </message>
    <message>
        <source>An error occurred while attempting to open an already opened device in this object.</source>
        <translation>Beim Öffnen eines in diesem Objekt bereits geöffneten Geräts ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>An I/O error occurred while writing the data.</source>
        <translation>Beim Schreiben der Daten ist ein E/A-Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>An I/O error occurred while reading the data.</source>
        <translation>Beim Lesen der Daten ist ein E/A-Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>An I/O error occurred when a resource becomes unavailable, e.g. when the device is unexpectedly removed from the system.</source>
        <translation>Ein E/A-Fehler ist aufgetreten, weil eine Ressource nicht mehr verfügbar ist, z. B. weil das Gerät unerwartet vom System getrennt wurde.</translation>
    </message>
    <message>
        <source>The requested device operation is not supported or prohibited by the running operating system.</source>
        <translation>Die angeforderte Geräteoperation wird vom laufenden Betriebssystem nicht unterstützt oder ist verboten.</translation>
    </message>
    <message>
        <source>A timeout error occurred. This value was introduced in QtSerialPort 5.2.</source>
        <translation>Eine Zeitüberschreitung ist aufgetreten. Dieser Wert wurde in QtSerialPort 5.2 eingeführt.</translation>
    </message>
    <message>
        <source>This error occurs when an operation is executed that can only be successfully performed if the device is open. This value was introduced in QtSerialPort 5.2.</source>
        <translation>Dieser Fehler tritt auf, wenn eine Operation ausgeführt wird, die nur bei geöffnetem Gerät gelingen kann. Dieser Wert wurde in QtSerialPort 5.2 eingeführt.</translation>
    </message>
    <message>
        <source>An unidentified error occurred.</source>
        <translation>Ein nicht näher bestimmter Fehler ist aufgetreten.</translation>
    </message>
</context>
<context>
    <name>LumetraSpotChangeDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Crystal spot</source>
        <translation>Kristallpunkt</translation>
    </message>
    <message>
        <source>** Attention **</source>
        <translation>** Achtung **</translation>
    </message>
    <message>
        <source>The current spot is changing, please wait</source>
        <translation>Der Kristallpunkt wird gewechselt, bitte warten</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Move the crystal from spot %1 to spot %2?
The move takes about %3 s.</source>
        <translation>Den Kristall von Punkt %1 zu Punkt %2 bewegen?
Die Bewegung dauert etwa %3 s.</translation>
    </message>
    <message>
        <source>Target spot: %1    Current spot: %2
Time left: about %3 s</source>
        <translation>Zielpunkt: %1    Aktueller Punkt: %2
Restzeit: etwa %3 s</translation>
    </message>
</context>
<context>
    <name>LumetraStatusStrip</name>
    <message>
        <source>Power On</source>
        <translation>Eingeschaltet</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Device Setup</source>
        <translation>Geräteeinrichtung</translation>
    </message>
    <message>
        <source>Oven fault</source>
        <translation>Ofenfehler</translation>
    </message>
    <message>
        <source>Humidity fault</source>
        <translation>Feuchtefehler</translation>
    </message>
    <message>
        <source>SHG/THG fault</source>
        <translation>SHG/THG-Fehler</translation>
    </message>
    <message>
        <source>Dynamic Wl. Switching</source>
        <translation>Dyn. Wl.-Umschaltung</translation>
    </message>
    <message>
        <source>IR AOM</source>
        <translation>IR-AOM</translation>
    </message>
    <message>
        <source>Green AOM</source>
        <translation>Grün-AOM</translation>
    </message>
    <message>
        <source>UV AOM</source>
        <translation>UV-AOM</translation>
    </message>
    <message>
        <source>DUV AOM</source>
        <translation>DUV-AOM</translation>
    </message>
    <message>
        <source>Wavelength:</source>
        <translation>Wellenlänge:</translation>
    </message>
    <message>
        <source>1030 nm</source>
        <translation>1030 nm</translation>
    </message>
    <message>
        <source>515 nm</source>
        <translation>515 nm</translation>
    </message>
    <message>
        <source>343 nm</source>
        <translation>343 nm</translation>
    </message>
    <message>
        <source>System info</source>
        <translation>Systeminfo</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>Firmwareversion:</translation>
    </message>
    <message>
        <source>Digital Gate Logic</source>
        <translation>Logik des digitalen Gates</translation>
    </message>
    <message>
        <source>0V:</source>
        <translation>0 V:</translation>
    </message>
    <message>
        <source>AOM Open</source>
        <translation>AOM offen</translation>
    </message>
    <message>
        <source>3.3V:</source>
        <translation>3,3 V:</translation>
    </message>
    <message>
        <source>AOM Closed</source>
        <translation>AOM geschlossen</translation>
    </message>
    <message>
        <source>µJ</source>
        <translation>µJ</translation>
    </message>
    <message>
        <source>Warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
</context>
<context>
    <name>LumetraSystemDetailsPage</name>
    <message>
        <source>LDD Device</source>
        <translation>LDD-Gerät</translation>
    </message>
    <message>
        <source>TEC Device</source>
        <translation>TEC-Gerät</translation>
    </message>
    <message>
        <source>Timing Board</source>
        <translation>Timing-Platine</translation>
    </message>
    <message>
        <source>xHG Board</source>
        <translation>xHG-Platine</translation>
    </message>
    <message>
        <source>Hardware:</source>
        <translation>Hardware:</translation>
    </message>
    <message>
        <source>Firmware:</source>
        <translation>Firmware:</translation>
    </message>
    <message>
        <source>Application Name:</source>
        <translation>Anwendungsname:</translation>
    </message>
    <message>
        <source>Compiled On:</source>
        <translation>Kompiliert am:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>Device On Time:</source>
        <translation>Einschaltdauer:</translation>
    </message>
    <message>
        <source>Emission Time:</source>
        <translation>Emissionsdauer:</translation>
    </message>
    <message>
        <source>Software:</source>
        <translation>Software:</translation>
    </message>
    <message>
        <source>Revision:</source>
        <translation>Revision:</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>MCU:</source>
        <translation>MCU:</translation>
    </message>
    <message>
        <source>FPGA:</source>
        <translation>FPGA:</translation>
    </message>
    <message>
        <source>Module address:</source>
        <translation>Moduladresse:</translation>
    </message>
    <message>
        <source>Module type:</source>
        <translation>Modultyp:</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>Firmwareversion:</translation>
    </message>
    <message>
        <source>Bootloader version:</source>
        <translation>Bootloader-Version:</translation>
    </message>
    <message>
        <source>Module serial number:</source>
        <translation>Modul-Seriennummer:</translation>
    </message>
    <message>
        <source>PCB Serial number:</source>
        <translation>Platinen-Seriennummer:</translation>
    </message>
    <message>
        <source>Run Time:</source>
        <translation>Laufzeit:</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>%1 hours %2 minutes</source>
        <translation>%1 Stunden %2 Minuten</translation>
    </message>
</context>
<context>
    <name>LumetraSystemSettingsPage</name>
    <message>
        <source>Digital Gate Logic</source>
        <translation>Logik des digitalen Gates</translation>
    </message>
    <message>
        <source>AOM open</source>
        <translation>AOM offen</translation>
    </message>
    <message>
        <source>AOM closed</source>
        <translation>AOM geschlossen</translation>
    </message>
    <message>
        <source>0V:</source>
        <translation>0 V:</translation>
    </message>
    <message>
        <source>3.3V:</source>
        <translation>3,3 V:</translation>
    </message>
</context>
<context>
    <name>LumetraTcpTransport</name>
    <message>
        <source>%1 is not a network port; write it as socket://HOST:PORT.</source>
        <translation>%1 ist keine Netzwerkschnittstelle; schreiben Sie sie als socket://HOST:PORT.</translation>
    </message>
    <message>
        <source>%1 refused the connection: nothing listens on port %2.</source>
        <translation>%1 hat die Verbindung abgelehnt: Auf Port %2 wartet kein Dienst.</translation>
    </message>
    <message>
        <source>The host %1 is not known.</source>
        <translation>Der Rechner %1 ist unbekannt.</translation>
    </message>
    <message>
        <source>The host %1 did not answer within %2 s: it is unreachable or switched off.</source>
        <translation>Der Rechner %1 hat nicht innerhalb von %2 s geantwortet: Er ist nicht erreichbar oder ausgeschaltet.</translation>
    </message>
    <message>
        <source>The host %1 cannot be reached: %2</source>
        <translation>Der Rechner %1 ist nicht erreichbar: %2</translation>
    </message>
    <message>
        <source>The connection to %1 was closed by the other side.</source>
        <translation>Die Verbindung zu %1 wurde von der Gegenseite geschlossen.</translation>
    </message>
    <message>
        <source>The connection to %1 failed: %2</source>
        <translation>Die Verbindung zu %1 ist gestört: %2</translation>
    </message>
</context>
<context>
    <name>LumetraTemperaturePage</name>
    <message>
        <source>Temperatures</source>
        <translation>Temperaturen</translation>
    </message>
    <message>
        <source>Temp. %1:</source>
        <translation>Temp. %1:</translation>
    </message>
</context>
<context>
    <name>LumetraTrendsView</name>
    <message>
        <source>10 min</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>1 h</source>
        <translation>1 h</translation>
    </message>
    <message>
        <source>24 h</source>
        <translation>24 h</translation>
    </message>
    <message>
        <source>7 days</source>
        <translation>7 Tage</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Eigene</translation>
    </message>
    <message>
        <source>Follow</source>
        <translation>Mitlaufen</translation>
    </message>
    <message>
        <source>Export CSV...</source>
        <translation>CSV exportieren...</translation>
    </message>
    <message>
        <source>Laser</source>
        <translation>Laser</translation>
    </message>
    <message>
        <source>Range</source>
        <translation>Bereich</translation>
    </message>
    <message>
        <source>Local time</source>
        <translation>Ortszeit</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>CSV exportieren</translation>
    </message>
    <message>
        <source>Pick the quantities to export first.</source>
        <translation>Wählen Sie zuerst die zu exportierenden Größen.</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 ist nicht schreibbar: %2</translation>
    </message>
</context>
<context>
    <name>LumetraView</name>
    <message>
        <source>%1 hours %2 minutes</source>
        <translation>%1 Stunden %2 Minuten</translation>
    </message>
    <message>
        <source>IR</source>
        <translation>IR</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>UV</source>
        <translation>UV</translation>
    </message>
    <message>
        <source>DUV</source>
        <translation>DUV</translation>
    </message>
    <message>
        <source>Lumetra QZ
</source>
        <translation>Lumetra QZ
</translation>
    </message>
    <message>
        <source>Control</source>
        <translation>Steuerung</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Temperature Details</source>
        <translation>Temperaturdetails</translation>
    </message>
    <message>
        <source>System Details</source>
        <translation>Systemdetails</translation>
    </message>
    <message>
        <source>System settings</source>
        <translation>Systemeinstellungen</translation>
    </message>
    <message>
        <source>Harmonic Generator</source>
        <translation>Harmonischengenerator</translation>
    </message>
    <message>
        <source>Wavelength selector</source>
        <translation>Wellenlängenwahl</translation>
    </message>
    <message>
        <source>** Warning **</source>
        <translation>** Warnung **</translation>
    </message>
    <message>
        <source>The AOM will be disabled, click OK to continue.</source>
        <translation>Der AOM wird gesperrt. Klicken Sie auf OK, um fortzufahren.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>** Attention **</source>
        <translation>** Achtung **</translation>
    </message>
    <message>
        <source>Open the %1 shutter and close the %2 shutter.
Click OK to continue.</source>
        <translation>Öffnen Sie den %1-Shutter und schließen Sie den %2-Shutter.
Klicken Sie auf OK, um fortzufahren.</translation>
    </message>
</context>
<context>
    <name>LumetraViewPage</name>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>System info</source>
        <translation>Systeminfo</translation>
    </message>
</context>
<context>
    <name>LumetraWriteAudit</name>
    <message>
        <source>panel</source>
        <translation>Bedienfeld</translation>
    </message>
    <message>
        <source>serial monitor</source>
        <translation>serieller Monitor</translation>
    </message>
    <message>
        <source>remote %1</source>
        <translation>fern %1</translation>
    </message>
    <message>
        <source>Tango device</source>
        <translation>Tango-Gerät</translation>
    </message>
    <message>
        <source>waiting for the laser</source>
        <translation>wartet auf den Laser</translation>
    </message>
    <message>
        <source>reported by the laser</source>
        <translation>vom Laser gemeldet</translation>
    </message>
    <message>
        <source>sent to the laser</source>
        <translation>an den Laser gesendet</translation>
    </message>
    <message>
        <source>refused by the laser: %1</source>
        <translation>vom Laser abgelehnt: %1</translation>
    </message>
    <message>
        <source>not sent: %1</source>
        <translation>nicht gesendet: %1</translation>
    </message>
    <message>
        <source>not reported by the laser within %1 s</source>
        <translation>vom Laser nicht binnen %1 s gemeldet</translation>
    </message>
    <message>
        <source>the link ended before the laser reported it</source>
        <translation>die Verbindung endete, bevor der Laser es meldete</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 %2 → %3 (%4): %5</source>
        <translation>%1 %2 → %3 (%4): %5</translation>
    </message>
</context>
<context>
    <name>MainView</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>***** Application startup %1 *****</source>
        <translation>***** Programmstart %1 *****</translation>
    </message>
    <message>
        <source>***** Application shutdown %1  *****</source>
        <translation>***** Programmende %1  *****</translation>
    </message>
    <message>
        <source>Application Log</source>
        <translation>Programmprotokoll</translation>
    </message>
    <message>
        <source>Serial Monitor</source>
        <translation>Serieller Monitor</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Exit this program</source>
        <translation>Dieses Programm beenden</translation>
    </message>
    <message>
        <source>About </source>
        <translation>Über </translation>
    </message>
    <message>
        <source>About this program</source>
        <translation>Über dieses Programm</translation>
    </message>
    <message>
        <source>Show Instruction Manual</source>
        <translation>Bedienungsanleitung anzeigen</translation>
    </message>
    <message>
        <source>Show the Zorvane LUMETRA-QZ - Instruction Manual</source>
        <translation>Die Bedienungsanleitung von Zorvane LUMETRA-QZ anzeigen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Open </source>
        <translation>Öffnen </translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>&amp;Trennen</translation>
    </message>
    <message>
        <source>Close </source>
        <translation>Schließen </translation>
    </message>
    <message>
        <source>Control Panel</source>
        <translation>Bedienfeld</translation>
    </message>
    <message>
        <source>Zorvane LUMETRA-QZ - Instruction Manual*.*</source>
        <translation>Zorvane LUMETRA-QZ - Instruction Manual*.*</translation>
    </message>
    <message>
        <source>Trends</source>
        <translation>Verläufe</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source>Connect to the last port at start-up</source>
        <translation>Beim Start mit der letzten Schnittstelle verbinden</translation>
    </message>
    <message>
        <source>Reconnect </source>
        <translation>Wieder verbinden </translation>
    </message>
    <message>
        <source>Connection to %1 lost at %2 — reconnecting when it returns.</source>
        <translation>Verbindung zu %1 um %2 verloren — sie wird wiederhergestellt, sobald die Schnittstelle zurückkehrt.</translation>
    </message>
    <message>
        <source>No echo since %1</source>
        <translation>Kein Echo seit %1</translation>
    </message>
    <message>
        <source>Could not open %1. %2</source>
        <translation>%1 konnte nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>The instruction manual was not found. It was looked for in:
%1</source>
        <translation>Die Bedienungsanleitung wurde nicht gefunden. Gesucht wurde in:
%1</translation>
    </message>
    <message>
        <source>%1, S/N %2</source>
        <translation>%1, SN %2</translation>
    </message>
    <message>
        <source>Another laser answered on %1 (%2) instead of %3; the connection stays closed.</source>
        <translation>An %1 hat ein anderer Laser geantwortet (%2) statt %3; die Verbindung bleibt geschlossen.</translation>
    </message>
    <message>
        <source>No program on this computer opened the instruction manual. It is here:
%1</source>
        <translation>Kein Programm auf diesem Rechner hat die Bedienungsanleitung geöffnet. Sie liegt hier:
%1</translation>
    </message>
    <message>
        <source>Open network port…</source>
        <translation>Netzwerkschnittstelle öffnen…</translation>
    </message>
    <message>
        <source>Open network port</source>
        <translation>Netzwerkschnittstelle öffnen</translation>
    </message>
    <message>
        <source>Host and TCP port of the serial device server (raw TCP mode), as HOST:PORT:</source>
        <translation>Rechner und TCP-Port des seriellen Geräteservers (Raw-TCP-Modus), als HOST:PORT:</translation>
    </message>
    <message>
        <source>%1 is not a network port; write it as HOST:PORT.</source>
        <translation>%1 ist keine Netzwerkschnittstelle; schreiben Sie sie als HOST:PORT.</translation>
    </message>
    <message>
        <source>Remote control cannot listen on %1: %2</source>
        <translation>Die Fernsteuerung kann nicht auf %1 warten: %2</translation>
    </message>
</context>
<context>
    <name>PortOpenAdvice</name>
    <message>
        <source>%1 does not exist any more; it is no longer listed in the Connect menu.</source>
        <translation>%1 existiert nicht mehr; die Schnittstelle wird im Menü Verbinden nicht mehr aufgeführt.</translation>
    </message>
    <message>
        <source>You may not use %1; ask for access to it.</source>
        <translation>Sie dürfen %1 nicht benutzen; bitten Sie um Zugriff darauf.</translation>
    </message>
    <message>
        <source>%1 is held by another program: close that program (or its connection) and open the port again.</source>
        <translation>%1 wird von einem anderen Programm belegt: Schließen Sie dieses Programm (oder seine Verbindung) und öffnen Sie die Schnittstelle erneut.</translation>
    </message>
    <message>
        <source>%1 is already open in this program.</source>
        <translation>%1 ist in diesem Programm bereits geöffnet.</translation>
    </message>
    <message>
        <source>You may not use %1. Serial ports belong to the group "dialout": add yourself with "sudo usermod -aG dialout $USER", then log out and in again (the new group counts only from a new login). Or install the program's udev rule (70-lumetra-qz-serial.rules, part of its package), which lets the user at the computer open the usual USB serial adapters.</source>
        <translation>Sie dürfen %1 nicht benutzen. Serielle Schnittstellen gehören der Gruppe "dialout": Fügen Sie sich mit "sudo usermod -aG dialout $USER" hinzu und melden Sie sich ab und wieder an (die neue Gruppe gilt erst nach einer neuen Anmeldung). Oder installieren Sie die udev-Regel des Programms (70-lumetra-qz-serial.rules, Teil seines Pakets), mit der der Benutzer am Computer die üblichen USB-Seriell-Adapter öffnen darf.</translation>
    </message>
    <message>
        <source>The host of %1 is there, but nothing accepts connections on that port: check the port number, and that the serial device server offers its serial port there in raw TCP mode. Many servers take one connection at a time; another program may hold it.</source>
        <translation>Der Rechner von %1 ist erreichbar, aber an diesem Port nimmt nichts Verbindungen an: Prüfen Sie die Portnummer und ob der serielle Geräteserver seine serielle Schnittstelle dort im Raw-TCP-Modus anbietet. Viele Server nehmen nur eine Verbindung zugleich an; ein anderes Programm hält sie womöglich.</translation>
    </message>
    <message>
        <source>The host name in %1 is not known here: check its spelling, or give the serial device server's address instead.</source>
        <translation>Der Rechnername in %1 ist hier nicht bekannt: Prüfen Sie die Schreibweise oder geben Sie stattdessen die Adresse des seriellen Geräteservers an.</translation>
    </message>
    <message>
        <source>%1 cannot be reached from this computer: check the network cable and settings, and that the serial device server is in a network this computer reaches.</source>
        <translation>%1 ist von diesem Rechner aus nicht erreichbar: Prüfen Sie Netzwerkkabel und -einstellungen und ob der serielle Geräteserver in einem Netz liegt, das dieser Rechner erreicht.</translation>
    </message>
    <message>
        <source>Nothing answered the connection to %1: the serial device server is switched off, not connected, or at another address, or a firewall drops the connection.</source>
        <translation>Auf die Verbindung zu %1 hat nichts geantwortet: Der serielle Geräteserver ist ausgeschaltet, nicht angeschlossen oder unter einer anderen Adresse, oder eine Firewall verwirft die Verbindung.</translation>
    </message>
    <message>
        <source>%1 is in use by %2: close it there (or its connection) and open the port again.</source>
        <translation>%1 wird von %2 belegt: Schließen Sie die Schnittstelle dort (oder die Verbindung) und öffnen Sie sie erneut.</translation>
    </message>
</context>
<context>
    <name>RangedInputSlider</name>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
</context>
<context>
    <name>RemoteControl</name>
    <message>
        <source>Emission
ON / OFF</source>
        <translation>Emission
EIN / AUS</translation>
    </message>
</context>
<context>
    <name>RemoteInterface</name>
    <message>
        <source>Remote control allowed: scripts may change the laser.</source>
        <translation>Fernsteuerung erlaubt: Skripte dürfen den Laser ändern.</translation>
    </message>
    <message>
        <source>Local: remote scripts may only ask.</source>
        <translation>Lokal: Skripte dürfen nur abfragen.</translation>
    </message>
    <message>
        <source>Listen for scripts</source>
        <translation>Auf Skripte warten</translation>
    </message>
    <message>
        <source>Remote control</source>
        <translation>Fernsteuerung</translation>
    </message>
    <message>
        <source>Cannot listen on %1: %2</source>
        <translation>Kann nicht auf %1 warten: %2</translation>
    </message>
    <message>
        <source>Address…</source>
        <translation>Adresse…</translation>
    </message>
    <message>
        <source>Allow remote control</source>
        <translation>Fernsteuerung erlauben</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>Lokal</translation>
    </message>
    <message>
        <source>"%1" is no [ADDRESS:]PORT</source>
        <translation>„%1“ ist kein [ADRESSE:]PORT</translation>
    </message>
    <message>
        <source>Remote control listening on %1</source>
        <translation>Fernsteuerung wartet auf %1</translation>
    </message>
    <message>
        <source>Remote control stopped</source>
        <translation>Fernsteuerung beendet</translation>
    </message>
    <message>
        <source>Address and port for scripts, [ADDRESS:]PORT (loopback when no address is given):</source>
        <translation>Adresse und Port für Skripte, [ADRESSE:]PORT (nur lokal, wenn keine Adresse angegeben ist):</translation>
    </message>
    <message>
        <source>Listen for scripts on %1</source>
        <translation>Auf Skripte warten an %1</translation>
    </message>
    <message>
        <source>Remote: %1</source>
        <translation>Fern: %1</translation>
    </message>
    <message>
        <source>&amp;Remote control</source>
        <translation>&amp;Fernsteuerung</translation>
    </message>
</context>
<context>
    <name>SerialMonitor</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Clear all log data</source>
        <translation>Alle Protokolldaten löschen</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>command:</source>
        <translation>Befehl:</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Stop adding lines; the traffic meanwhile is shown on resuming</source>
        <translation>Keine Zeilen mehr anfügen; der Verkehr in der Zwischenzeit erscheint beim Fortsetzen</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Copy the selected lines, or all lines when none are selected</source>
        <translation>Die markierten Zeilen kopieren, ohne Markierung alle Zeilen</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>How the traffic is shown</source>
        <translation>Wie der Verkehr angezeigt wird</translation>
    </message>
    <message>
        <source>Hide polled queries and their answers</source>
        <translation>Zyklische Abfragen und ihre Antworten ausblenden</translation>
    </message>
    <message>
        <source>Port in the title, not on every line</source>
        <translation>Schnittstelle im Titel statt in jeder Zeile</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <translation>%1 - %2</translation>
    </message>
    <message>
        <source>Link labels (port:seconds-milliseconds) instead of the time of day</source>
        <translation>Kennungen der Verbindung (Port:Sekunden-Millisekunden) statt der Uhrzeit</translation>
    </message>
</context>
<context>
    <name>WavelengthSelector</name>
    <message>
        <source>RF Power, Overdrive setting.</source>
        <translation>HF-Leistung, Übersteuerung.</translation>
    </message>
    <message>
        <source>(Full power from RF driver. Please consult manual before use)</source>
        <translation>(Volle Leistung des HF-Treibers. Bitte vor Gebrauch die Anleitung lesen)</translation>
    </message>
</context>
<context>
    <name>ZORVMainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>Hauptfenster</translation>
    </message>
</context>
<context>
    <name>_AppLog</name>
    <message>
        <source>Application Log</source>
        <translation>Programmprotokoll</translation>
    </message>
    <message>
        <source>Clear all log data?</source>
        <translation>Alle Protokolldaten löschen?</translation>
    </message>
    <message>
        <source>Save application log file</source>
        <translation>Programmprotokoll speichern</translation>
    </message>
    <message>
        <source>Log files (*.log *.txt)</source>
        <translation>Protokolldateien (*.log *.txt)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>The directory "%1" does not exist.
Should we create it?</source>
        <translation>Der Ordner "%1" existiert nicht.
Soll er angelegt werden?</translation>
    </message>
    <message>
        <source>Saving application log, failed!</source>
        <translation>Speichern des Programmprotokolls fehlgeschlagen!</translation>
    </message>
    <message numerus="yes">
        <source> (%n times, last at %1)</source>
        <translation>
            <numerusform> (einmal, zuletzt um %1)</numerusform>
            <numerusform> (%n-mal, zuletzt um %1)</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>der Ordner %1 lässt sich nicht anlegen</translation>
    </message>
    <message>
        <source>The application log cannot be written to %1 (%2); the file keeps its earlier text.</source>
        <translation>Das Programmprotokoll kann nicht nach %1 geschrieben werden (%2); die Datei behält ihren bisherigen Inhalt.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Try "%1 --help".</source>
        <translation>Versuchen Sie "%1 --help".</translation>
    </message>
</context>
</TS>