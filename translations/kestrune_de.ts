<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AlarmCommands</name>
    <message>
        <source>The alarm is already set</source>
        <translation>Der Wecker ist bereits gestellt</translation>
    </message>
    <message>
        <source>The alarm is not set</source>
        <translation>Der Wecker ist nicht gestellt</translation>
    </message>
    <message>
        <source>The alarm is not ringing</source>
        <translation>Der Wecker klingelt nicht</translation>
    </message>
    <message>
        <source>The alarm does not repeat</source>
        <translation>Der Wecker wiederholt sich nicht</translation>
    </message>
    <message>
        <source>Repeat takes once, daily, weekdays, weekends or days such as mon,tue</source>
        <translation>Wiederholen nimmt once, daily, weekdays, weekends oder Tage wie mon,tue</translation>
    </message>
</context>
<context>
    <name>AlarmEngine</name>
    <message>
        <source>Sound Files (*.mp3)</source>
        <translation>Klangdateien (*.mp3)</translation>
    </message>
    <message>
        <source>All Sound Files</source>
        <translation>Alle Klangdateien</translation>
    </message>
    <message>
        <source>Missed</source>
        <translation>Verpasst</translation>
    </message>
    <message>
        <source>Alarm Set</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Not Set</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Please Choose A Sound For The Alarm</source>
        <translation>Bitte wählen Sie einen Weckton</translation>
    </message>
    <message>
        <source>Please Enter The Alarm Time As HH:MM:SS</source>
        <translation>Bitte geben Sie die Weckzeit als HH:MM:SS ein</translation>
    </message>
    <message>
        <source>This sound cannot be kept: its name has a line break, which the settings file cannot hold. Rename the file or choose another one.</source>
        <translation>Dieser Klang kann nicht übernommen werden: Sein Name enthält einen Zeilenumbruch, den die Einstellungsdatei nicht speichern kann. Benennen Sie die Datei um oder wählen Sie eine andere.</translation>
    </message>
</context>
<context>
    <name>AutostartEntry</name>
    <message>
        <source>the program&apos;s path %1 is not UTF-8 text, which a desktop entry must be</source>
        <translation>der Pfad des Programms %1 ist kein UTF-8-Text, wie ihn ein Desktop-Eintrag verlangt</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, which the desktop cannot start at login</source>
        <translation>der Pfad des Programms %1 enthält „%2“, womit der Desktop es bei der Anmeldung nicht starten kann</translation>
    </message>
    <message>
        <source>a control character</source>
        <translation>ein Steuerzeichen</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 is not absolute</source>
        <translation>der Pfad des Programms %1 ist nicht absolut</translation>
    </message>
    <message>
        <source>there is no configuration folder of yours to keep it in (HOME is not set, not writable or another user&apos;s)</source>
        <translation>es gibt keinen eigenen Konfigurationsordner, um ihn abzulegen (HOME ist nicht gesetzt, nicht beschreibbar oder gehört einem anderen Benutzer)</translation>
    </message>
    <message>
        <source>%1 is not written: %2</source>
        <translation>%1 wird nicht geschrieben: %2</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>%1 cannot be removed: %2</source>
        <translation>%1 kann nicht entfernt werden: %2</translation>
    </message>
</context>
<context>
    <name>ClockZoneWatcher</name>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is larger than a zone file can be</source>
        <translation>es ist größer, als eine Zeitzonendatei sein kann</translation>
    </message>
    <message>
        <source>The time zone file %1 is not used: %2. The clock and the alarm run on UTC.</source>
        <translation>Die Zeitzonendatei %1 wird nicht verwendet: %2. Uhr und Wecker laufen in UTC.</translation>
    </message>
    <message>
        <source>The time zone file %1 is not read again: %2. The clock and the alarm keep the time zone they had.</source>
        <translation>Die Zeitzonendatei %1 wird nicht erneut gelesen: %2. Uhr und Wecker behalten ihre bisherige Zeitzone.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Unexpected argument: %1. See kestrune --help.</source>
        <translation>Unerwartetes Argument: %1. Siehe kestrune --help.</translation>
    </message>
    <message>
        <source>%1. See kestrune --help.</source>
        <translation>%1. Siehe kestrune --help.</translation>
    </message>
    <message>
        <source>Usage: kestrune [--tray | --set HH:MM:SS [--repeat DAYS] | --repeat DAYS | --off | --sleep |
                --skip | --unskip | --status]

A desktop alarm clock. Without an option it shows its window; while it runs, a second start
brings the running one forward. The other options are sent to the running copy.

  --tray            start in the notification area, without setting the alarm
  --set HH:MM:SS    set the alarm to this time, as typing it and pressing ON does; with no
                    copy running, one is started in the notification area
  --repeat DAYS     the days the alarm rings on: once, daily, weekdays, weekends, or days
                    such as mon,tue,fri; with --set for the time set, alone for the
                    running copy&apos;s alarm
  --off             switch the alarm off, as OFF does (at a ring of a repeating alarm,
                    it stays set for the next day)
  --sleep           snooze the ringing alarm, as Sleep does
  --skip            leave the next ring of a repeating alarm silent
  --unskip          take that skip back
  --status          print the alarm&apos;s state, a line for each value
  -h, --help        print this help
  -v, --version     print the version

A refused command says why on standard error and ends with status 1, a command line not
understood with 2; when no copy runs, the options other than --tray and --set end with
status 3, and all of them with 4 when a copy runs but cannot be reached.
</source>
        <translation>Aufruf: kestrune [--tray | --set HH:MM:SS [--repeat TAGE] | --repeat TAGE | --off | --sleep |
                --skip | --unskip | --status]

Ein Wecker für den Desktop. Ohne Option zeigt er sein Fenster; läuft er bereits, holt ein
zweiter Start den laufenden nach vorn. Die übrigen Optionen gehen an die laufende Kopie.

  --tray            im Infobereich starten, ohne den Wecker zu stellen
  --set HH:MM:SS    den Wecker auf diese Zeit stellen, wie Eintippen und EIN; läuft keine
                    Kopie, wird eine im Infobereich gestartet
  --repeat TAGE     die Tage, an denen der Wecker klingelt: once, daily, weekdays, weekends
                    oder Tage wie mon,tue,fri; mit --set für die gestellte Zeit, allein für
                    den Wecker der laufenden Kopie
  --off             den Wecker ausschalten, wie AUS (beim Klingeln eines sich
                    wiederholenden Weckers bleibt er für den nächsten Tag gestellt)
  --sleep           den klingelnden Wecker schlummern lassen, wie Schlummern
  --skip            das nächste Klingeln eines sich wiederholenden Weckers auslassen
  --unskip          dieses Auslassen zurücknehmen
  --status          den Zustand des Weckers ausgeben, eine Zeile je Wert
  -h, --help        diese Hilfe ausgeben
  -v, --version     die Version ausgeben

Ein abgelehnter Befehl nennt den Grund auf der Standardfehlerausgabe und endet mit Status 1,
eine nicht verstandene Befehlszeile mit 2; läuft keine Kopie, enden die Optionen außer
--tray und --set mit Status 3, und alle mit 4, wenn eine Kopie läuft, aber nicht erreichbar ist.
</translation>
    </message>
    <message>
        <source>Give only one of --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help and --version; --repeat may go with --set.</source>
        <translation>Nur eine von --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help und --version angeben; --repeat darf zu --set.</translation>
    </message>
    <message>
        <source>--repeat takes once, daily, weekdays, weekends or days such as mon,tue, not %1.</source>
        <translation>--repeat nimmt once, daily, weekdays, weekends oder Tage wie mon,tue, nicht %1.</translation>
    </message>
</context>
<context>
    <name>CommonDialog</name>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Right Click For Options</source>
        <translation>Rechtsklick: Optionen</translation>
    </message>
    <message>
        <source>The settings in %1 could not be read whole: %2.</source>
        <translation>Die Einstellungen in %1 konnten nicht vollständig gelesen werden: %2.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>Die Datei wird, wie sie war, als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>No copy of it could be kept, so it will not be replaced.</source>
        <translation>Es konnte keine Kopie davon angelegt werden, daher wird sie nicht ersetzt.</translation>
    </message>
    <message>
        <source>It is left as it is; the settings are saved to %1.</source>
        <translation>Sie bleibt, wie sie ist; die Einstellungen werden in %1 gespeichert.</translation>
    </message>
    <message>
        <source>%1. The desktop&apos;s alarm sound and bell ring instead.</source>
        <translation>%1. Stattdessen erklingen der Alarmton und die Glocke des Desktops.</translation>
    </message>
    <message>
        <source>No alarm sound</source>
        <translation>Kein Weckton</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>The start at login could not be changed: %1.</source>
        <translation>Der Start bei der Anmeldung konnte nicht geändert werden: %1.</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Schlummern</translation>
    </message>
    <message>
        <source>Tray</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>Select Alarm Sound</source>
        <translation>Weckton auswählen</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Alarm status</source>
        <translation>Weckerstatus</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>&amp;Menu</source>
        <translation>&amp;Menü</translation>
    </message>
    <message>
        <source>&amp;Choose Alarm Sound</source>
        <translation>&amp;Weckton auswählen</translation>
    </message>
    <message>
        <source>&amp;Try Alarm Sound</source>
        <translation>Weckton &amp;testen</translation>
    </message>
    <message>
        <source>Start At &amp;Login</source>
        <translation>Bei der &amp;Anmeldung starten</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>Wecker %1 unbeantwortet</translation>
    </message>
    <message>
        <source>Missed %1</source>
        <translation>%1 verpasst</translation>
    </message>
    <message>
        <source>Alarm %1, wakes this computer</source>
        <translation>Wecker %1, weckt diesen PC</translation>
    </message>
    <message>
        <source>Alarm %1, keeps computer awake</source>
        <translation>Wecker %1, hält den PC wach</translation>
    </message>
    <message>
        <source>%1 skipped</source>
        <translation>%1 ausgelassen</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Designed and Programmed by:</source>
        <translation>Entworfen und programmiert von:</translation>
    </message>
    <message>
        <source>Designer&apos;s web site</source>
        <translation>Website des Designers</translation>
    </message>
    <message>
        <source>The Kestrune authors</source>
        <translation>Die Kestrune-Autoren</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>Web site</source>
        <translation>Website</translation>
    </message>
</context>
<context>
    <name>Form3</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Sleep Timer / Min</source>
        <translation>Schlummern / Min</translation>
    </message>
    <message>
        <source>Sleep minutes</source>
        <translation>Schlummerminuten</translation>
    </message>
    <message>
        <source>Clock Forecolor</source>
        <translation>Schriftfarbe der Uhr</translation>
    </message>
    <message>
        <source>Clock Backcolor</source>
        <translation>Hintergrund der Uhr</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>HelperProcess</name>
    <message>
        <source>stopped or crashed</source>
        <translation>wurde angehalten oder ist abgestürzt</translation>
    </message>
    <message>
        <source>ended (status %1)</source>
        <translation>wurde beendet (Status %1)</translation>
    </message>
</context>
<context>
    <name>MediaPlayer</name>
    <message>
        <source>the file does not exist or is not a regular file</source>
        <translation>die Datei existiert nicht oder ist keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>MprisPlayer</name>
    <message>
        <source>The alarm plays no other sound</source>
        <translation>Der Wecker spielt keinen anderen Klang</translation>
    </message>
</context>
<context>
    <name>NotSetNotice</name>
    <message>
        <source>Alarm %1 is not set</source>
        <translation>Wecker %1 ist nicht gestellt</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Stellen</translation>
    </message>
</context>
<context>
    <name>PathTrust</name>
    <message>
        <source>the root folder is not root&apos;s alone</source>
        <translation>der Wurzelordner gehört nicht allein root</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 ist nicht vorhanden</translation>
    </message>
    <message>
        <source>%1 is a link of another user</source>
        <translation>%1 ist eine Verknüpfung eines anderen Benutzers</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>%1 is a chain of too many links</source>
        <translation>%1 ist eine Kette aus zu vielen Verknüpfungen</translation>
    </message>
    <message>
        <source>%1 is a link that leads nowhere</source>
        <translation>%1 ist eine Verknüpfung ins Leere</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>others can write to %1</source>
        <translation>andere können in %1 schreiben</translation>
    </message>
    <message>
        <source>others can write to the folder %1</source>
        <translation>andere können in den Ordner %1 schreiben</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>%1 is not there</source>
        <translation>%1 ist nicht vorhanden</translation>
    </message>
    <message>
        <source>%1 is not a program</source>
        <translation>%1 ist kein Programm</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>LTR</translation>
    </message>
</context>
<context>
    <name>RepeatFile</name>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is longer than this file can be</source>
        <translation>sie ist länger, als diese Datei sein kann</translation>
    </message>
    <message>
        <source>not all of its lines could be read</source>
        <translation>nicht alle ihre Zeilen konnten gelesen werden</translation>
    </message>
    <message>
        <source>there is nowhere to save it</source>
        <translation>es gibt keinen Ort, um sie zu speichern</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>sie konnte nicht vollständig gelesen werden, und es konnte keine Kopie davon angelegt werden</translation>
    </message>
</context>
<context>
    <name>RepeatKeeper</name>
    <message>
        <source>The repeat days in %1 could not be read: %2. The alarm rings once until days are chosen again.</source>
        <translation>Die Wiederholungstage in %1 konnten nicht gelesen werden: %2. Der Wecker klingelt einmal, bis wieder Tage gewählt sind.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>Die Datei wird, wie sie war, als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>The repeat days in %1 belong to the alarm time %2, but the settings hold %3: they are not applied, and the alarm rings once.</source>
        <translation>Die Wiederholungstage in %1 gehören zur Weckzeit %2, die Einstellungen enthalten aber %3: Sie werden nicht übernommen, und der Wecker klingelt einmal.</translation>
    </message>
    <message>
        <source>Alarm %1 is set: %2</source>
        <translation>Wecker %1 ist gestellt: %2</translation>
    </message>
</context>
<context>
    <name>RepeatMenu</name>
    <message>
        <source>&amp;Repeat</source>
        <translation>Wiede&amp;rholen</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring</source>
        <translation>&amp;Nächstes Klingeln auslassen</translation>
    </message>
    <message>
        <source>&amp;Once</source>
        <translation>E&amp;inmal</translation>
    </message>
    <message>
        <source>Every &amp;Day</source>
        <translation>&amp;Jeden Tag</translation>
    </message>
    <message>
        <source>&amp;Weekdays</source>
        <translation>&amp;Werktags</translation>
    </message>
    <message>
        <source>Week&amp;ends</source>
        <translation>Am Wochen&amp;ende</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring (%1)</source>
        <translation>&amp;Nächstes Klingeln auslassen (%1)</translation>
    </message>
    <message>
        <source>every day</source>
        <translation>jeden Tag</translation>
    </message>
    <message>
        <source>weekdays</source>
        <translation>werktags</translation>
    </message>
    <message>
        <source>weekends</source>
        <translation>am Wochenende</translation>
    </message>
    <message>
        <source>once</source>
        <translation>einmal</translation>
    </message>
</context>
<context>
    <name>RingMediaControls</name>
    <message>
        <source>Alarm %1</source>
        <translation>Wecker %1</translation>
    </message>
</context>
<context>
    <name>RingNotification</name>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Schlummern</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Alarm %1</source>
        <translation>Wecker %1</translation>
    </message>
    <message>
        <source>Snoozed until %1</source>
        <translation>Schlummern bis %1</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>Wecker %1 klingelte unbeantwortet</translation>
    </message>
</context>
<context>
    <name>RingSound</name>
    <message>
        <source>No sound output: </source>
        <translation>Keine Tonausgabe: </translation>
    </message>
    <message>
        <source>No alarm sound: </source>
        <translation>Kein Weckton: </translation>
    </message>
    <message>
        <source>%1 stopped the sound process; the built-in tone will ring</source>
        <translation>%1 hat den Klangprozess beendet; der eingebaute Ton wird klingeln</translation>
    </message>
    <message>
        <source>%1 cannot be played; the built-in tone will ring</source>
        <translation>%1 kann nicht abgespielt werden; der eingebaute Ton wird klingeln</translation>
    </message>
    <message>
        <source>the built-in tone cannot be played (%1)</source>
        <translation>der eingebaute Ton kann nicht abgespielt werden (%1)</translation>
    </message>
</context>
<context>
    <name>ScriptCommand</name>
    <message>
        <source>Kestrune is not running.</source>
        <translation>Kestrune läuft nicht.</translation>
    </message>
    <message>
        <source>The running Kestrune did not answer.</source>
        <translation>Das laufende Kestrune hat nicht geantwortet.</translation>
    </message>
    <message>
        <source>Kestrune could not be started.</source>
        <translation>Kestrune konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>Kestrune is running but cannot be reached.</source>
        <translation>Kestrune läuft, ist aber nicht erreichbar.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>es ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>it is a named pipe, not a regular file</source>
        <translation>es ist eine benannte Pipe, keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file</source>
        <translation>es ist ein Socket, keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is a device, not a regular file</source>
        <translation>es ist ein Gerät, keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is longer than a settings file can be</source>
        <translation>es ist länger, als eine Einstellungsdatei sein kann</translation>
    </message>
    <message>
        <source>it starts as UTF-16 text but is not</source>
        <translation>es beginnt als UTF-16-Text, ist aber keiner</translation>
    </message>
    <message>
        <source>not all of its five values could be read</source>
        <translation>nicht alle fünf Werte konnten gelesen werden</translation>
    </message>
    <message>
        <source>%1; what could be read is used</source>
        <translation>%1; was gelesen werden konnte, wird verwendet</translation>
    </message>
    <message>
        <source>the program&apos;s folder is not the user&apos;s to write, and there is no usable home folder (HOME is not set, not writable or another user&apos;s)</source>
        <translation>der Benutzer darf nicht in den Ordner des Programms schreiben, und es gibt keinen nutzbaren persönlichen Ordner (HOME ist nicht gesetzt, nicht beschreibbar oder gehört einem anderen Benutzer)</translation>
    </message>
    <message>
        <source>its folder cannot be created</source>
        <translation>der Ordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>die Datei ist schreibgeschützt</translation>
    </message>
    <message>
        <source>its folder is read-only</source>
        <translation>der Ordner ist schreibgeschützt</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>sie konnte nicht vollständig gelesen werden, und es konnte keine Kopie davon angelegt werden</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Kestrune cannot make sure that only one copy of it runs: %1. Started again, it may run twice, with two alarms.</source>
        <translation>Kestrune kann nicht sicherstellen, dass nur eine Kopie läuft: %1. Erneut gestartet, läuft es womöglich zweimal, mit zwei Weckern.</translation>
    </message>
    <message>
        <source>there is no folder of this user&apos;s alone to keep its lock in</source>
        <translation>es gibt keinen Ordner nur dieses Benutzers für seine Sperre</translation>
    </message>
    <message>
        <source>the lock %1 cannot be made</source>
        <translation>die Sperre %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>A later start of Kestrune cannot reach this one: %1. Commands such as kestrune --status and --off will fail while it runs.</source>
        <translation>Ein späterer Start von Kestrune kann dieses nicht erreichen: %1. Befehle wie kestrune --status und --off schlagen fehl, solange es läuft.</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>der Pfad %1 ist für einen Socket zu lang</translation>
    </message>
    <message>
        <source>cannot listen on %1 (%2)</source>
        <translation>kann nicht an %1 lauschen (%2)</translation>
    </message>
</context>
<context>
    <name>SleepWarning</name>
    <message>
        <source>Kestrune cannot wake this computer; the alarm at %1 rings only if it is awake</source>
        <translation>Kestrune kann diesen Computer nicht wecken; der Wecker um %1 klingelt nur, wenn er wach ist</translation>
    </message>
</context>
<context>
    <name>SoundProcess</name>
    <message>
        <source>no sound program can be used (%1)</source>
        <translation>kein Klangprogramm ist verwendbar (%1)</translation>
    </message>
    <message>
        <source>the sound process %1</source>
        <translation>der Klangprozess %1</translation>
    </message>
    <message>
        <source>the sound program %1 cannot be started: %2</source>
        <translation>das Klangprogramm %1 kann nicht gestartet werden: %2</translation>
    </message>
</context>
<context>
    <name>WakePolicy</name>
    <message>
        <source>An alarm is set</source>
        <translation>Ein Wecker ist gestellt</translation>
    </message>
</context>
</TS>
