<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AlarmCommands</name>
    <message>
        <source>The alarm is already set</source>
        <translation>L’alarme est déjà activée</translation>
    </message>
    <message>
        <source>The alarm is not set</source>
        <translation>L’alarme n’est pas activée</translation>
    </message>
    <message>
        <source>The alarm is not ringing</source>
        <translation>L’alarme ne sonne pas</translation>
    </message>
    <message>
        <source>The alarm does not repeat</source>
        <translation>L’alarme ne se répète pas</translation>
    </message>
    <message>
        <source>Repeat takes once, daily, weekdays, weekends or days such as mon,tue</source>
        <translation>Répéter accepte once, daily, weekdays, weekends ou des jours comme mon,tue</translation>
    </message>
</context>
<context>
    <name>AlarmEngine</name>
    <message>
        <source>Sound Files (*.mp3)</source>
        <translation>Fichiers son (*.mp3)</translation>
    </message>
    <message>
        <source>All Sound Files</source>
        <translation>Tous les fichiers son</translation>
    </message>
    <message>
        <source>Missed</source>
        <translation>Manquée</translation>
    </message>
    <message>
        <source>Alarm Set</source>
        <translation>Activée</translation>
    </message>
    <message>
        <source>Not Set</source>
        <translation>Désactivée</translation>
    </message>
    <message>
        <source>Please Choose A Sound For The Alarm</source>
        <translation>Veuillez choisir un son pour l’alarme</translation>
    </message>
    <message>
        <source>Please Enter The Alarm Time As HH:MM:SS</source>
        <translation>Veuillez saisir l’heure de l’alarme sous la forme HH:MM:SS</translation>
    </message>
    <message>
        <source>This sound cannot be kept: its name has a line break, which the settings file cannot hold. Rename the file or choose another one.</source>
        <translation>Ce son ne peut pas être retenu : son nom contient un saut de ligne, que le fichier de réglages ne peut pas contenir. Renommez le fichier ou choisissez-en un autre.</translation>
    </message>
</context>
<context>
    <name>AutostartEntry</name>
    <message>
        <source>the program&apos;s path %1 is not UTF-8 text, which a desktop entry must be</source>
        <translation>le chemin du programme %1 n’est pas du texte UTF-8, ce qu’exige une entrée de bureau</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, which the desktop cannot start at login</source>
        <translation>le chemin du programme %1 contient « %2 », ce qui empêche le bureau de le lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>a control character</source>
        <translation>un caractère de contrôle</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 is not absolute</source>
        <translation>le chemin du programme %1 n’est pas absolu</translation>
    </message>
    <message>
        <source>there is no configuration folder of yours to keep it in (HOME is not set, not writable or another user&apos;s)</source>
        <translation>vous n’avez aucun dossier de configuration où le ranger (HOME n’est pas défini, pas modifiable ou appartient à un autre utilisateur)</translation>
    </message>
    <message>
        <source>%1 is not written: %2</source>
        <translation>%1 n’est pas écrit : %2</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>le dossier %1 ne peut pas être créé</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 ne peut pas être écrit : %2</translation>
    </message>
    <message>
        <source>%1 cannot be removed: %2</source>
        <translation>%1 ne peut pas être supprimé : %2</translation>
    </message>
</context>
<context>
    <name>ClockZoneWatcher</name>
    <message>
        <source>it is not a regular file</source>
        <translation>ce n’est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is larger than a zone file can be</source>
        <translation>il est plus grand qu’un fichier de fuseau horaire ne peut l’être</translation>
    </message>
    <message>
        <source>The time zone file %1 is not used: %2. The clock and the alarm run on UTC.</source>
        <translation>Le fichier de fuseau horaire %1 n’est pas utilisé : %2. L’horloge et l’alarme sont en UTC.</translation>
    </message>
    <message>
        <source>The time zone file %1 is not read again: %2. The clock and the alarm keep the time zone they had.</source>
        <translation>Le fichier de fuseau horaire %1 n’est pas relu : %2. L’horloge et l’alarme gardent leur fuseau horaire.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Unexpected argument: %1. See kestrune --help.</source>
        <translation>Argument inattendu : %1. Voir kestrune --help.</translation>
    </message>
    <message>
        <source>%1. See kestrune --help.</source>
        <translation>%1. Voir kestrune --help.</translation>
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
        <translation>Usage : kestrune [--tray | --set HH:MM:SS [--repeat JOURS] | --repeat JOURS | --off | --sleep |
                 --skip | --unskip | --status]

Un réveil de bureau. Sans option, il affiche sa fenêtre ; s’il tourne déjà, un second
lancement fait passer celui qui tourne au premier plan. Les autres options sont envoyées à
la copie en cours.

  --tray            démarrer dans la zone de notification, sans activer l’alarme
  --set HH:MM:SS    régler l’alarme à cette heure, comme la saisir et appuyer sur ON ; si
                    aucune copie ne tourne, une copie démarre dans la zone de notification
  --repeat JOURS    les jours où l’alarme sonne : once, daily, weekdays, weekends, ou des
                    jours comme mon,tue,fri ; avec --set pour l’heure réglée, seul pour
                    l’alarme de la copie en cours
  --off             désactiver l’alarme, comme OFF (quand une alarme répétée sonne, elle
                    reste activée pour le jour suivant)
  --sleep           répéter l’alarme qui sonne, comme Répéter
  --skip            sauter la prochaine sonnerie d’une alarme répétée
  --unskip          annuler ce saut
  --status          afficher l’état de l’alarme, une ligne par valeur
  -h, --help        afficher cette aide
  -v, --version     afficher la version

Une commande refusée en donne la raison sur la sortie d’erreur et se termine avec le code 1,
une ligne de commande non comprise avec 2 ; si aucune copie ne tourne, les options autres
que --tray et --set se terminent avec le code 3, et toutes avec le code 4 si une copie tourne
mais reste injoignable.
</translation>
    </message>
    <message>
        <source>Give only one of --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help and --version; --repeat may go with --set.</source>
        <translation>Indiquez une seule option parmi --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help et --version ; --repeat peut accompagner --set.</translation>
    </message>
    <message>
        <source>--repeat takes once, daily, weekdays, weekends or days such as mon,tue, not %1.</source>
        <translation>--repeat accepte once, daily, weekdays, weekends ou des jours comme mon,tue, pas %1.</translation>
    </message>
</context>
<context>
    <name>CommonDialog</name>
    <message>
        <source>All Files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Right Click For Options</source>
        <translation>Clic droit : options</translation>
    </message>
    <message>
        <source>The settings in %1 could not be read whole: %2.</source>
        <translation>Les réglages de %1 n’ont pas pu être lus en entier : %2.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>Le fichier tel qu’il était est conservé sous %1.</translation>
    </message>
    <message>
        <source>No copy of it could be kept, so it will not be replaced.</source>
        <translation>Aucune copie n’a pu en être gardée, il ne sera donc pas remplacé.</translation>
    </message>
    <message>
        <source>It is left as it is; the settings are saved to %1.</source>
        <translation>Il reste tel quel ; les réglages sont enregistrés dans %1.</translation>
    </message>
    <message>
        <source>%1. The desktop&apos;s alarm sound and bell ring instead.</source>
        <translation>%1. Le son d’alarme et la sonnerie du bureau retentissent à la place.</translation>
    </message>
    <message>
        <source>No alarm sound</source>
        <translation>Pas de son d’alarme</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>Les réglages n’ont pas pu être enregistrés dans %1 : %2.</translation>
    </message>
    <message>
        <source>The start at login could not be changed: %1.</source>
        <translation>Le lancement à l’ouverture de session n’a pas pu être modifié : %1.</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Il est</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Réveil</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Répéter</translation>
    </message>
    <message>
        <source>Tray</source>
        <translation>Réduire</translation>
    </message>
    <message>
        <source>Select Alarm Sound</source>
        <translation>Choisir le son</translation>
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
        <translation>État de l’alarme</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>&amp;Menu</source>
        <translation>&amp;Menu</translation>
    </message>
    <message>
        <source>&amp;Choose Alarm Sound</source>
        <translation>&amp;Choisir le son d’alarme</translation>
    </message>
    <message>
        <source>&amp;Try Alarm Sound</source>
        <translation>&amp;Essayer le son d’alarme</translation>
    </message>
    <message>
        <source>Start At &amp;Login</source>
        <translation>&amp;Lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>Alarme %1 sans réponse</translation>
    </message>
    <message>
        <source>Missed %1</source>
        <translation>%1 manquée</translation>
    </message>
    <message>
        <source>Alarm %1, wakes this computer</source>
        <translation>Alarme %1, réveille le PC</translation>
    </message>
    <message>
        <source>Alarm %1, keeps computer awake</source>
        <translation>Alarme %1, garde le PC éveillé</translation>
    </message>
    <message>
        <source>%1 skipped</source>
        <translation>%1 sautée</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Designed and Programmed by:</source>
        <translation>Conçu et programmé par :</translation>
    </message>
    <message>
        <source>Designer&apos;s web site</source>
        <translation>Site web du concepteur</translation>
    </message>
    <message>
        <source>The Kestrune authors</source>
        <translation>Les auteurs de Kestrune</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Auteur</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>Courriel</translation>
    </message>
    <message>
        <source>Web site</source>
        <translation>Site web</translation>
    </message>
</context>
<context>
    <name>Form3</name>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Sleep Timer / Min</source>
        <translation>Rappel / min</translation>
    </message>
    <message>
        <source>Sleep minutes</source>
        <translation>Minutes de rappel</translation>
    </message>
    <message>
        <source>Clock Forecolor</source>
        <translation>Couleur du texte</translation>
    </message>
    <message>
        <source>Clock Backcolor</source>
        <translation>Couleur du fond</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>HelperProcess</name>
    <message>
        <source>stopped or crashed</source>
        <translation>s’est arrêté ou a planté</translation>
    </message>
    <message>
        <source>ended (status %1)</source>
        <translation>s’est terminé (code %1)</translation>
    </message>
</context>
<context>
    <name>MediaPlayer</name>
    <message>
        <source>the file does not exist or is not a regular file</source>
        <translation>le fichier n’existe pas ou n’est pas un fichier ordinaire</translation>
    </message>
</context>
<context>
    <name>MprisPlayer</name>
    <message>
        <source>The alarm plays no other sound</source>
        <translation>L’alarme ne joue aucun autre son</translation>
    </message>
</context>
<context>
    <name>NotSetNotice</name>
    <message>
        <source>Alarm %1 is not set</source>
        <translation>L’alarme de %1 n’est pas activée</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Afficher</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Activer</translation>
    </message>
</context>
<context>
    <name>PathTrust</name>
    <message>
        <source>the root folder is not root&apos;s alone</source>
        <translation>le dossier racine n’appartient pas à root seul</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 n’existe pas</translation>
    </message>
    <message>
        <source>%1 is a link of another user</source>
        <translation>%1 est un lien d’un autre utilisateur</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 appartient à un autre utilisateur</translation>
    </message>
    <message>
        <source>%1 is a chain of too many links</source>
        <translation>%1 est une chaîne de liens trop longue</translation>
    </message>
    <message>
        <source>%1 is a link that leads nowhere</source>
        <translation>%1 est un lien qui ne mène nulle part</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 n’est pas un dossier</translation>
    </message>
    <message>
        <source>others can write to %1</source>
        <translation>d’autres peuvent écrire dans %1</translation>
    </message>
    <message>
        <source>others can write to the folder %1</source>
        <translation>d’autres peuvent écrire dans le dossier %1</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>%1 is not there</source>
        <translation>%1 n’existe pas</translation>
    </message>
    <message>
        <source>%1 is not a program</source>
        <translation>%1 n’est pas un programme</translation>
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
        <translation>ce n’est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is longer than this file can be</source>
        <translation>il est plus long que ce fichier ne peut l’être</translation>
    </message>
    <message>
        <source>not all of its lines could be read</source>
        <translation>toutes ses lignes n’ont pas pu être lues</translation>
    </message>
    <message>
        <source>there is nowhere to save it</source>
        <translation>il n’y a aucun endroit où l’enregistrer</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>il n’a pas pu être lu en entier et aucune copie n’a pu en être conservée</translation>
    </message>
</context>
<context>
    <name>RepeatKeeper</name>
    <message>
        <source>The repeat days in %1 could not be read: %2. The alarm rings once until days are chosen again.</source>
        <translation>Les jours de répétition dans %1 n’ont pas pu être lus : %2. L’alarme sonne une fois jusqu’à ce que des jours soient de nouveau choisis.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>Le fichier tel qu’il était est conservé sous %1.</translation>
    </message>
    <message>
        <source>The repeat days in %1 belong to the alarm time %2, but the settings hold %3: they are not applied, and the alarm rings once.</source>
        <translation>Les jours de répétition dans %1 appartiennent à l’heure d’alarme %2, mais les réglages contiennent %3 : ils ne sont pas appliqués et l’alarme sonne une fois.</translation>
    </message>
    <message>
        <source>Alarm %1 is set: %2</source>
        <translation>L’alarme de %1 est activée : %2</translation>
    </message>
</context>
<context>
    <name>RepeatMenu</name>
    <message>
        <source>&amp;Repeat</source>
        <translation>&amp;Répétition</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring</source>
        <translation>Sauter la &amp;prochaine sonnerie</translation>
    </message>
    <message>
        <source>&amp;Once</source>
        <translation>&amp;Une fois</translation>
    </message>
    <message>
        <source>Every &amp;Day</source>
        <translation>&amp;Chaque jour</translation>
    </message>
    <message>
        <source>&amp;Weekdays</source>
        <translation>En &amp;semaine</translation>
    </message>
    <message>
        <source>Week&amp;ends</source>
        <translation>&amp;Week-ends</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring (%1)</source>
        <translation>Sauter la &amp;prochaine sonnerie (%1)</translation>
    </message>
    <message>
        <source>every day</source>
        <translation>chaque jour</translation>
    </message>
    <message>
        <source>weekdays</source>
        <translation>en semaine</translation>
    </message>
    <message>
        <source>weekends</source>
        <translation>le week-end</translation>
    </message>
    <message>
        <source>once</source>
        <translation>une fois</translation>
    </message>
</context>
<context>
    <name>RingMediaControls</name>
    <message>
        <source>Alarm %1</source>
        <translation>Alarme %1</translation>
    </message>
</context>
<context>
    <name>RingNotification</name>
    <message>
        <source>Show</source>
        <translation>Afficher</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Répéter</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Alarm %1</source>
        <translation>Alarme %1</translation>
    </message>
    <message>
        <source>Snoozed until %1</source>
        <translation>Rappel à %1</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>L’alarme de %1 a sonné sans réponse</translation>
    </message>
</context>
<context>
    <name>RingSound</name>
    <message>
        <source>No sound output: </source>
        <translation>Aucune sortie audio : </translation>
    </message>
    <message>
        <source>No alarm sound: </source>
        <translation>Pas de son d’alarme : </translation>
    </message>
    <message>
        <source>%1 stopped the sound process; the built-in tone will ring</source>
        <translation>%1 a arrêté le processus audio ; la tonalité intégrée sonnera</translation>
    </message>
    <message>
        <source>%1 cannot be played; the built-in tone will ring</source>
        <translation>%1 ne peut pas être lu ; la tonalité intégrée sonnera</translation>
    </message>
    <message>
        <source>the built-in tone cannot be played (%1)</source>
        <translation>la tonalité intégrée ne peut pas être jouée (%1)</translation>
    </message>
</context>
<context>
    <name>ScriptCommand</name>
    <message>
        <source>Kestrune is not running.</source>
        <translation>Kestrune n’est pas lancé.</translation>
    </message>
    <message>
        <source>The running Kestrune did not answer.</source>
        <translation>Le Kestrune en cours n’a pas répondu.</translation>
    </message>
    <message>
        <source>Kestrune could not be started.</source>
        <translation>Kestrune n’a pas pu être lancé.</translation>
    </message>
    <message>
        <source>Kestrune is running but cannot be reached.</source>
        <translation>Kestrune est en cours d’exécution mais injoignable.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>c’est un dossier, pas un fichier</translation>
    </message>
    <message>
        <source>it is a named pipe, not a regular file</source>
        <translation>c’est un tube nommé, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file</source>
        <translation>c’est une socket, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is a device, not a regular file</source>
        <translation>c’est un périphérique, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>ce n’est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is longer than a settings file can be</source>
        <translation>il est plus long qu’un fichier de réglages ne peut l’être</translation>
    </message>
    <message>
        <source>it starts as UTF-16 text but is not</source>
        <translation>il commence comme du texte UTF-16 mais n’en est pas</translation>
    </message>
    <message>
        <source>not all of its five values could be read</source>
        <translation>ses cinq valeurs n’ont pas toutes pu être lues</translation>
    </message>
    <message>
        <source>%1; what could be read is used</source>
        <translation>%1 ; ce qui a pu être lu est utilisé</translation>
    </message>
    <message>
        <source>the program&apos;s folder is not the user&apos;s to write, and there is no usable home folder (HOME is not set, not writable or another user&apos;s)</source>
        <translation>l’utilisateur ne peut pas écrire dans le dossier du programme, et il n’y a aucun dossier personnel utilisable (HOME n’est pas défini, pas modifiable ou appartient à un autre utilisateur)</translation>
    </message>
    <message>
        <source>its folder cannot be created</source>
        <translation>son dossier ne peut pas être créé</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>le fichier est en lecture seule</translation>
    </message>
    <message>
        <source>its folder is read-only</source>
        <translation>son dossier est en lecture seule</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>il n’a pas pu être lu en entier, et aucune copie n’a pu en être gardée</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Kestrune cannot make sure that only one copy of it runs: %1. Started again, it may run twice, with two alarms.</source>
        <translation>Kestrune ne peut pas garantir qu’une seule copie s’exécute : %1. Relancé, il pourrait tourner deux fois, avec deux alarmes.</translation>
    </message>
    <message>
        <source>there is no folder of this user&apos;s alone to keep its lock in</source>
        <translation>aucun dossier propre à cet utilisateur ne peut accueillir son verrou</translation>
    </message>
    <message>
        <source>the lock %1 cannot be made</source>
        <translation>le verrou %1 ne peut pas être créé</translation>
    </message>
    <message>
        <source>A later start of Kestrune cannot reach this one: %1. Commands such as kestrune --status and --off will fail while it runs.</source>
        <translation>Un lancement ultérieur de Kestrune ne peut pas joindre celui-ci : %1. Les commandes comme kestrune --status et --off échoueront tant qu’il tourne.</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 appartient à un autre utilisateur</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>le chemin %1 est trop long pour une socket</translation>
    </message>
    <message>
        <source>cannot listen on %1 (%2)</source>
        <translation>impossible d’écouter sur %1 (%2)</translation>
    </message>
</context>
<context>
    <name>SleepWarning</name>
    <message>
        <source>Kestrune cannot wake this computer; the alarm at %1 rings only if it is awake</source>
        <translation>Kestrune ne peut pas réveiller cet ordinateur ; l’alarme de %1 ne sonnera que s’il est éveillé</translation>
    </message>
</context>
<context>
    <name>SoundProcess</name>
    <message>
        <source>no sound program can be used (%1)</source>
        <translation>aucun programme audio n’est utilisable (%1)</translation>
    </message>
    <message>
        <source>the sound process %1</source>
        <translation>le processus audio %1</translation>
    </message>
    <message>
        <source>the sound program %1 cannot be started: %2</source>
        <translation>le programme audio %1 ne peut pas être lancé : %2</translation>
    </message>
</context>
<context>
    <name>WakePolicy</name>
    <message>
        <source>An alarm is set</source>
        <translation>Une alarme est activée</translation>
    </message>
</context>
</TS>
