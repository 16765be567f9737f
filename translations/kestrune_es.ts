<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>AlarmCommands</name>
    <message>
        <source>The alarm is already set</source>
        <translation>La alarma ya está activada</translation>
    </message>
    <message>
        <source>The alarm is not set</source>
        <translation>La alarma no está activada</translation>
    </message>
    <message>
        <source>The alarm is not ringing</source>
        <translation>La alarma no está sonando</translation>
    </message>
    <message>
        <source>The alarm does not repeat</source>
        <translation>La alarma no se repite</translation>
    </message>
    <message>
        <source>Repeat takes once, daily, weekdays, weekends or days such as mon,tue</source>
        <translation>Repetir acepta once, daily, weekdays, weekends o días como mon,tue</translation>
    </message>
</context>
<context>
    <name>AlarmEngine</name>
    <message>
        <source>Sound Files (*.mp3)</source>
        <translation>Archivos de sonido (*.mp3)</translation>
    </message>
    <message>
        <source>All Sound Files</source>
        <translation>Todos los archivos de sonido</translation>
    </message>
    <message>
        <source>Missed</source>
        <translation>Perdida</translation>
    </message>
    <message>
        <source>Alarm Set</source>
        <translation>Activa</translation>
    </message>
    <message>
        <source>Not Set</source>
        <translation>Inactiva</translation>
    </message>
    <message>
        <source>Please Choose A Sound For The Alarm</source>
        <translation>Elija un sonido para la alarma</translation>
    </message>
    <message>
        <source>Please Enter The Alarm Time As HH:MM:SS</source>
        <translation>Escriba la hora de la alarma como HH:MM:SS</translation>
    </message>
    <message>
        <source>This sound cannot be kept: its name has a line break, which the settings file cannot hold. Rename the file or choose another one.</source>
        <translation>Este sonido no se puede guardar: su nombre tiene un salto de línea, que el archivo de ajustes no puede contener. Cambie el nombre del archivo o elija otro.</translation>
    </message>
</context>
<context>
    <name>AutostartEntry</name>
    <message>
        <source>the program&apos;s path %1 is not UTF-8 text, which a desktop entry must be</source>
        <translation>la ruta del programa %1 no es texto UTF-8, como debe serlo una entrada de escritorio</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, which the desktop cannot start at login</source>
        <translation>la ruta del programa %1 contiene «%2», por lo que el escritorio no puede iniciarlo al entrar</translation>
    </message>
    <message>
        <source>a control character</source>
        <translation>un carácter de control</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 is not absolute</source>
        <translation>la ruta del programa %1 no es absoluta</translation>
    </message>
    <message>
        <source>there is no configuration folder of yours to keep it in (HOME is not set, not writable or another user&apos;s)</source>
        <translation>no tiene una carpeta de configuración propia donde guardarlo (HOME no está definido, no se puede escribir o es de otro usuario)</translation>
    </message>
    <message>
        <source>%1 is not written: %2</source>
        <translation>%1 no se escribe: %2</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>no se puede crear la carpeta %1</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>no se puede escribir %1: %2</translation>
    </message>
    <message>
        <source>%1 cannot be removed: %2</source>
        <translation>no se puede eliminar %1: %2</translation>
    </message>
</context>
<context>
    <name>ClockZoneWatcher</name>
    <message>
        <source>it is not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>it is larger than a zone file can be</source>
        <translation>es más grande de lo que puede ser un archivo de zona horaria</translation>
    </message>
    <message>
        <source>The time zone file %1 is not used: %2. The clock and the alarm run on UTC.</source>
        <translation>No se usa el archivo de zona horaria %1: %2. El reloj y la alarma funcionan en UTC.</translation>
    </message>
    <message>
        <source>The time zone file %1 is not read again: %2. The clock and the alarm keep the time zone they had.</source>
        <translation>No se vuelve a leer el archivo de zona horaria %1: %2. El reloj y la alarma mantienen su zona horaria.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Unexpected argument: %1. See kestrune --help.</source>
        <translation>Argumento inesperado: %1. Consulte kestrune --help.</translation>
    </message>
    <message>
        <source>%1. See kestrune --help.</source>
        <translation>%1. Consulte kestrune --help.</translation>
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
        <translation>Uso: kestrune [--tray | --set HH:MM:SS [--repeat DÍAS] | --repeat DÍAS | --off | --sleep |
              --skip | --unskip | --status]

Un despertador de escritorio. Sin opciones muestra su ventana; si ya se está ejecutando, un
segundo inicio trae al frente la copia en marcha. Las demás opciones se envían a esa copia.

  --tray            iniciar en el área de notificación, sin activar la alarma
  --set HH:MM:SS    poner la alarma a esa hora, como escribirla y pulsar ON; si no hay
                    ninguna copia en marcha, se inicia una en el área de notificación
  --repeat DÍAS     los días en que suena la alarma: once, daily, weekdays, weekends, o
                    días como mon,tue,fri; con --set para la hora puesta, sola para la
                    alarma de la copia en marcha
  --off             desactivar la alarma, como OFF (cuando suena una alarma que se repite,
                    sigue activada para el día siguiente)
  --sleep           posponer la alarma que suena, como Posponer
  --skip            omitir el siguiente sonido de una alarma que se repite
  --unskip          deshacer esa omisión
  --status          mostrar el estado de la alarma, una línea por valor
  -h, --help        mostrar esta ayuda
  -v, --version     mostrar la versión

Una orden rechazada explica el motivo en la salida de error y termina con el estado 1, una
línea de órdenes no entendida con 2; si no hay ninguna copia en marcha, las opciones que no
son --tray ni --set terminan con el estado 3, y todas con el 4 si hay una copia en marcha
pero no se puede alcanzar.
</translation>
    </message>
    <message>
        <source>Give only one of --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help and --version; --repeat may go with --set.</source>
        <translation>Indique solo una de --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help y --version; --repeat puede ir con --set.</translation>
    </message>
    <message>
        <source>--repeat takes once, daily, weekdays, weekends or days such as mon,tue, not %1.</source>
        <translation>--repeat acepta once, daily, weekdays, weekends o días como mon,tue, no %1.</translation>
    </message>
</context>
<context>
    <name>CommonDialog</name>
    <message>
        <source>All Files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Right Click For Options</source>
        <translation>Clic derecho: opciones</translation>
    </message>
    <message>
        <source>The settings in %1 could not be read whole: %2.</source>
        <translation>No se pudieron leer completos los ajustes de %1: %2.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>El archivo tal como estaba se conserva como %1.</translation>
    </message>
    <message>
        <source>No copy of it could be kept, so it will not be replaced.</source>
        <translation>No se pudo guardar una copia, así que no se reemplazará.</translation>
    </message>
    <message>
        <source>It is left as it is; the settings are saved to %1.</source>
        <translation>Se deja como está; los ajustes se guardan en %1.</translation>
    </message>
    <message>
        <source>%1. The desktop&apos;s alarm sound and bell ring instead.</source>
        <translation>%1. En su lugar suenan el sonido de alarma y la campana del escritorio.</translation>
    </message>
    <message>
        <source>No alarm sound</source>
        <translation>Sin sonido de alarma</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>No se pudieron guardar los ajustes en %1: %2.</translation>
    </message>
    <message>
        <source>The start at login could not be changed: %1.</source>
        <translation>No se pudo cambiar el inicio al entrar: %1.</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Hora</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Posponer</translation>
    </message>
    <message>
        <source>Tray</source>
        <translation>Ocultar</translation>
    </message>
    <message>
        <source>Select Alarm Sound</source>
        <translation>Elegir sonido</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Alarm status</source>
        <translation>Estado de la alarma</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opciones</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
    <message>
        <source>&amp;Menu</source>
        <translation>&amp;Menú</translation>
    </message>
    <message>
        <source>&amp;Choose Alarm Sound</source>
        <translation>&amp;Elegir sonido de alarma</translation>
    </message>
    <message>
        <source>&amp;Try Alarm Sound</source>
        <translation>&amp;Probar sonido de alarma</translation>
    </message>
    <message>
        <source>Start At &amp;Login</source>
        <translation>&amp;Iniciar al entrar</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Opciones</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Acerca de</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>Alarma %1 sin respuesta</translation>
    </message>
    <message>
        <source>Missed %1</source>
        <translation>%1 perdida</translation>
    </message>
    <message>
        <source>Alarm %1, wakes this computer</source>
        <translation>Alarma %1, despierta el PC</translation>
    </message>
    <message>
        <source>Alarm %1, keeps computer awake</source>
        <translation>Alarma %1, evita suspender</translation>
    </message>
    <message>
        <source>%1 skipped</source>
        <translation>%1 omitida</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Designed and Programmed by:</source>
        <translation>Diseñado y programado por:</translation>
    </message>
    <message>
        <source>Designer&apos;s web site</source>
        <translation>Sitio web del diseñador</translation>
    </message>
    <message>
        <source>The Kestrune authors</source>
        <translation>Los autores de Kestrune</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>Correo electrónico</translation>
    </message>
    <message>
        <source>Web site</source>
        <translation>Sitio web</translation>
    </message>
</context>
<context>
    <name>Form3</name>
    <message>
        <source>Options</source>
        <translation>Opciones</translation>
    </message>
    <message>
        <source>Sleep Timer / Min</source>
        <translation>Posponer / min</translation>
    </message>
    <message>
        <source>Sleep minutes</source>
        <translation>Minutos para posponer</translation>
    </message>
    <message>
        <source>Clock Forecolor</source>
        <translation>Color del texto</translation>
    </message>
    <message>
        <source>Clock Backcolor</source>
        <translation>Color del fondo</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Cerrar</translation>
    </message>
</context>
<context>
    <name>HelperProcess</name>
    <message>
        <source>stopped or crashed</source>
        <translation>se detuvo o falló</translation>
    </message>
    <message>
        <source>ended (status %1)</source>
        <translation>terminó (estado %1)</translation>
    </message>
</context>
<context>
    <name>MediaPlayer</name>
    <message>
        <source>the file does not exist or is not a regular file</source>
        <translation>el archivo no existe o no es un archivo normal</translation>
    </message>
</context>
<context>
    <name>MprisPlayer</name>
    <message>
        <source>The alarm plays no other sound</source>
        <translation>La alarma no reproduce ningún otro sonido</translation>
    </message>
</context>
<context>
    <name>NotSetNotice</name>
    <message>
        <source>Alarm %1 is not set</source>
        <translation>La alarma de las %1 no está activada</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Mostrar</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Activar</translation>
    </message>
</context>
<context>
    <name>PathTrust</name>
    <message>
        <source>the root folder is not root&apos;s alone</source>
        <translation>la carpeta raíz no es solo de root</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 no existe</translation>
    </message>
    <message>
        <source>%1 is a link of another user</source>
        <translation>%1 es un enlace de otro usuario</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 pertenece a otro usuario</translation>
    </message>
    <message>
        <source>%1 is a chain of too many links</source>
        <translation>%1 es una cadena de demasiados enlaces</translation>
    </message>
    <message>
        <source>%1 is a link that leads nowhere</source>
        <translation>%1 es un enlace que no lleva a ningún sitio</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 no es una carpeta</translation>
    </message>
    <message>
        <source>others can write to %1</source>
        <translation>otros pueden escribir en %1</translation>
    </message>
    <message>
        <source>others can write to the folder %1</source>
        <translation>otros pueden escribir en la carpeta %1</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>%1 is not there</source>
        <translation>%1 no existe</translation>
    </message>
    <message>
        <source>%1 is not a program</source>
        <translation>%1 no es un programa</translation>
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
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>it is longer than this file can be</source>
        <translation>es más largo de lo que puede ser este archivo</translation>
    </message>
    <message>
        <source>not all of its lines could be read</source>
        <translation>no se pudieron leer todas sus líneas</translation>
    </message>
    <message>
        <source>there is nowhere to save it</source>
        <translation>no hay dónde guardarlo</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>no se pudo leer entero y no se pudo conservar ninguna copia</translation>
    </message>
</context>
<context>
    <name>RepeatKeeper</name>
    <message>
        <source>The repeat days in %1 could not be read: %2. The alarm rings once until days are chosen again.</source>
        <translation>No se pudieron leer los días de repetición de %1: %2. La alarma suena una vez hasta que se vuelvan a elegir días.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>El archivo tal como estaba se conserva como %1.</translation>
    </message>
    <message>
        <source>The repeat days in %1 belong to the alarm time %2, but the settings hold %3: they are not applied, and the alarm rings once.</source>
        <translation>Los días de repetición de %1 son de la hora de alarma %2, pero la configuración tiene %3: no se aplican y la alarma suena una vez.</translation>
    </message>
    <message>
        <source>Alarm %1 is set: %2</source>
        <translation>La alarma de las %1 está activada: %2</translation>
    </message>
</context>
<context>
    <name>RepeatMenu</name>
    <message>
        <source>&amp;Repeat</source>
        <translation>&amp;Repetir</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring</source>
        <translation>O&amp;mitir el siguiente</translation>
    </message>
    <message>
        <source>&amp;Once</source>
        <translation>&amp;Una vez</translation>
    </message>
    <message>
        <source>Every &amp;Day</source>
        <translation>&amp;Cada día</translation>
    </message>
    <message>
        <source>&amp;Weekdays</source>
        <translation>&amp;Laborables</translation>
    </message>
    <message>
        <source>Week&amp;ends</source>
        <translation>&amp;Fines de semana</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring (%1)</source>
        <translation>O&amp;mitir el siguiente (%1)</translation>
    </message>
    <message>
        <source>every day</source>
        <translation>cada día</translation>
    </message>
    <message>
        <source>weekdays</source>
        <translation>laborables</translation>
    </message>
    <message>
        <source>weekends</source>
        <translation>fines de semana</translation>
    </message>
    <message>
        <source>once</source>
        <translation>una vez</translation>
    </message>
</context>
<context>
    <name>RingMediaControls</name>
    <message>
        <source>Alarm %1</source>
        <translation>Alarma %1</translation>
    </message>
</context>
<context>
    <name>RingNotification</name>
    <message>
        <source>Show</source>
        <translation>Mostrar</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Posponer</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Alarm %1</source>
        <translation>Alarma %1</translation>
    </message>
    <message>
        <source>Snoozed until %1</source>
        <translation>Pospuesta hasta las %1</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>La alarma de las %1 sonó sin respuesta</translation>
    </message>
</context>
<context>
    <name>RingSound</name>
    <message>
        <source>No sound output: </source>
        <translation>Sin salida de sonido: </translation>
    </message>
    <message>
        <source>No alarm sound: </source>
        <translation>Sin sonido de alarma: </translation>
    </message>
    <message>
        <source>%1 stopped the sound process; the built-in tone will ring</source>
        <translation>%1 detuvo el proceso de sonido; sonará el tono incorporado</translation>
    </message>
    <message>
        <source>%1 cannot be played; the built-in tone will ring</source>
        <translation>%1 no se puede reproducir; sonará el tono incorporado</translation>
    </message>
    <message>
        <source>the built-in tone cannot be played (%1)</source>
        <translation>el tono incorporado no se puede reproducir (%1)</translation>
    </message>
</context>
<context>
    <name>ScriptCommand</name>
    <message>
        <source>Kestrune is not running.</source>
        <translation>Kestrune no se está ejecutando.</translation>
    </message>
    <message>
        <source>The running Kestrune did not answer.</source>
        <translation>El Kestrune en ejecución no respondió.</translation>
    </message>
    <message>
        <source>Kestrune could not be started.</source>
        <translation>No se pudo iniciar Kestrune.</translation>
    </message>
    <message>
        <source>Kestrune is running but cannot be reached.</source>
        <translation>Kestrune se está ejecutando pero no se puede contactar.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>es una carpeta, no un archivo</translation>
    </message>
    <message>
        <source>it is a named pipe, not a regular file</source>
        <translation>es una tubería con nombre, no un archivo normal</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file</source>
        <translation>es un socket, no un archivo normal</translation>
    </message>
    <message>
        <source>it is a device, not a regular file</source>
        <translation>es un dispositivo, no un archivo normal</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>it is longer than a settings file can be</source>
        <translation>es más largo de lo que puede ser un archivo de ajustes</translation>
    </message>
    <message>
        <source>it starts as UTF-16 text but is not</source>
        <translation>empieza como texto UTF-16 pero no lo es</translation>
    </message>
    <message>
        <source>not all of its five values could be read</source>
        <translation>no se pudieron leer todos sus cinco valores</translation>
    </message>
    <message>
        <source>%1; what could be read is used</source>
        <translation>%1; se usa lo que se pudo leer</translation>
    </message>
    <message>
        <source>the program&apos;s folder is not the user&apos;s to write, and there is no usable home folder (HOME is not set, not writable or another user&apos;s)</source>
        <translation>el usuario no puede escribir en la carpeta del programa y no hay una carpeta personal utilizable (HOME no está definido, no se puede escribir o es de otro usuario)</translation>
    </message>
    <message>
        <source>its folder cannot be created</source>
        <translation>no se puede crear su carpeta</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>el archivo es de solo lectura</translation>
    </message>
    <message>
        <source>its folder is read-only</source>
        <translation>su carpeta es de solo lectura</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>no se pudo leer completo y no se pudo guardar una copia</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Kestrune cannot make sure that only one copy of it runs: %1. Started again, it may run twice, with two alarms.</source>
        <translation>Kestrune no puede asegurar que solo se ejecute una copia: %1. Si se vuelve a iniciar, puede ejecutarse dos veces, con dos alarmas.</translation>
    </message>
    <message>
        <source>there is no folder of this user&apos;s alone to keep its lock in</source>
        <translation>no hay ninguna carpeta solo de este usuario donde guardar su bloqueo</translation>
    </message>
    <message>
        <source>the lock %1 cannot be made</source>
        <translation>no se puede crear el bloqueo %1</translation>
    </message>
    <message>
        <source>A later start of Kestrune cannot reach this one: %1. Commands such as kestrune --status and --off will fail while it runs.</source>
        <translation>Un inicio posterior de Kestrune no puede contactar con este: %1. Órdenes como kestrune --status y --off fallarán mientras se ejecute.</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 pertenece a otro usuario</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>la ruta %1 es demasiado larga para un socket</translation>
    </message>
    <message>
        <source>cannot listen on %1 (%2)</source>
        <translation>no se puede escuchar en %1 (%2)</translation>
    </message>
</context>
<context>
    <name>SleepWarning</name>
    <message>
        <source>Kestrune cannot wake this computer; the alarm at %1 rings only if it is awake</source>
        <translation>Kestrune no puede despertar este equipo; la alarma de las %1 solo sonará si está despierto</translation>
    </message>
</context>
<context>
    <name>SoundProcess</name>
    <message>
        <source>no sound program can be used (%1)</source>
        <translation>no se puede usar ningún programa de sonido (%1)</translation>
    </message>
    <message>
        <source>the sound process %1</source>
        <translation>el proceso de sonido %1</translation>
    </message>
    <message>
        <source>the sound program %1 cannot be started: %2</source>
        <translation>no se puede iniciar el programa de sonido %1: %2</translation>
    </message>
</context>
<context>
    <name>WakePolicy</name>
    <message>
        <source>An alarm is set</source>
        <translation>Hay una alarma activada</translation>
    </message>
</context>
</TS>
