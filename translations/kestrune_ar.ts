<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name>AlarmCommands</name>
    <message>
        <source>The alarm is already set</source>
        <translation>المنبّه مضبوط من قبل</translation>
    </message>
    <message>
        <source>The alarm is not set</source>
        <translation>المنبّه غير مضبوط</translation>
    </message>
    <message>
        <source>The alarm is not ringing</source>
        <translation>المنبّه لا يرنّ</translation>
    </message>
    <message>
        <source>The alarm does not repeat</source>
        <translation>المنبّه لا يتكرر</translation>
    </message>
    <message>
        <source>Repeat takes once, daily, weekdays, weekends or days such as mon,tue</source>
        <translation>يقبل التكرار once أو daily أو weekdays أو weekends أو أيامًا مثل mon,tue</translation>
    </message>
</context>
<context>
    <name>AlarmEngine</name>
    <message>
        <source>Sound Files (*.mp3)</source>
        <translation>ملفات صوتية (*.mp3)</translation>
    </message>
    <message>
        <source>All Sound Files</source>
        <translation>كل الملفات الصوتية</translation>
    </message>
    <message>
        <source>Missed</source>
        <translation>فائت</translation>
    </message>
    <message>
        <source>Alarm Set</source>
        <translation>مضبوط</translation>
    </message>
    <message>
        <source>Not Set</source>
        <translation>غير مضبوط</translation>
    </message>
    <message>
        <source>Please Choose A Sound For The Alarm</source>
        <translation>الرجاء اختيار صوت للمنبّه</translation>
    </message>
    <message>
        <source>Please Enter The Alarm Time As HH:MM:SS</source>
        <translation>الرجاء إدخال وقت المنبّه بالشكل HH:MM:SS</translation>
    </message>
    <message>
        <source>This sound cannot be kept: its name has a line break, which the settings file cannot hold. Rename the file or choose another one.</source>
        <translation>لا يمكن حفظ هذا الصوت: في اسمه فاصل أسطر لا يستطيع ملف الإعدادات حمله. أعد تسمية الملف أو اختر ملفًا آخر.</translation>
    </message>
</context>
<context>
    <name>AutostartEntry</name>
    <message>
        <source>the program&apos;s path %1 is not UTF-8 text, which a desktop entry must be</source>
        <translation>مسار البرنامج %1 ليس نصًا بترميز UTF-8 كما يجب أن يكون مُدخل سطح المكتب</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, which the desktop cannot start at login</source>
        <translation>يحتوي مسار البرنامج %1 على «%2»، فلا يستطيع سطح المكتب تشغيله عند الدخول</translation>
    </message>
    <message>
        <source>a control character</source>
        <translation>محرف تحكّم</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 is not absolute</source>
        <translation>مسار البرنامج %1 ليس مطلقًا</translation>
    </message>
    <message>
        <source>there is no configuration folder of yours to keep it in (HOME is not set, not writable or another user&apos;s)</source>
        <translation>لا يوجد مجلد إعدادات خاص بك لحفظه فيه (HOME غير معرّف أو غير قابل للكتابة أو ملك لمستخدم آخر)</translation>
    </message>
    <message>
        <source>%1 is not written: %2</source>
        <translation>لا يُكتب %1: %2</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>لا يمكن إنشاء المجلد %1</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>لا يمكن كتابة %1: %2</translation>
    </message>
    <message>
        <source>%1 cannot be removed: %2</source>
        <translation>لا يمكن حذف %1: %2</translation>
    </message>
</context>
<context>
    <name>ClockZoneWatcher</name>
    <message>
        <source>it is not a regular file</source>
        <translation>ليس ملفًا عاديًا</translation>
    </message>
    <message>
        <source>it is larger than a zone file can be</source>
        <translation>حجمه أكبر مما يمكن أن يكون عليه ملف منطقة زمنية</translation>
    </message>
    <message>
        <source>The time zone file %1 is not used: %2. The clock and the alarm run on UTC.</source>
        <translation>لا يُستخدم ملف المنطقة الزمنية %1: %2. تعمل الساعة والمنبّه بتوقيت UTC.</translation>
    </message>
    <message>
        <source>The time zone file %1 is not read again: %2. The clock and the alarm keep the time zone they had.</source>
        <translation>لا يُعاد قراءة ملف المنطقة الزمنية %1: %2. تحتفظ الساعة والمنبّه بمنطقتهما الزمنية السابقة.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Unexpected argument: %1. See kestrune --help.</source>
        <translation>وسيط غير متوقع: %1. راجع kestrune --help.</translation>
    </message>
    <message>
        <source>%1. See kestrune --help.</source>
        <translation>%1. راجع kestrune --help.</translation>
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
        <translation>الاستخدام: kestrune [--tray | --set HH:MM:SS [--repeat DAYS] | --repeat DAYS | --off | --sleep |
                    --skip | --unskip | --status]

منبّه لسطح المكتب. دون خيار يعرض نافذته؛ وإن كان يعمل، فإن تشغيله مرة ثانية يُظهر
النسخة العاملة في المقدمة. تُرسَل الخيارات الأخرى إلى النسخة العاملة.

  --tray            التشغيل في منطقة الإشعارات دون ضبط المنبّه
  --set HH:MM:SS    ضبط المنبّه على هذا الوقت، كما لو كُتب وضُغط «شغّل»؛ وإن لم تكن
                    هناك نسخة عاملة، تُشغَّل واحدة في منطقة الإشعارات
  --repeat DAYS     الأيام التي يرنّ فيها المنبّه: once أو daily أو weekdays أو weekends أو
                    أيام مثل mon,tue,fri؛ مع --set للوقت المضبوط، ووحده لمنبّه النسخة
                    العاملة
  --off             إيقاف المنبّه، كما يفعل «أوقف» (عند رنين منبّه متكرر يبقى مضبوطًا
                    لليوم التالي)
  --sleep           تأجيل المنبّه الذي يرنّ، كما يفعل «غفوة»
  --skip            تخطّي الرنين التالي لمنبّه متكرر
  --unskip          التراجع عن هذا التخطّي
  --status          طباعة حالة المنبّه، سطر لكل قيمة
  -h, --help        طباعة هذه المساعدة
  -v, --version     طباعة الإصدار

يذكر الأمر المرفوض السبب على مخرج الأخطاء القياسي وينتهي بالحالة 1، وسطر الأوامر غير
المفهوم بالحالة 2؛ وإن لم تكن هناك نسخة عاملة، تنتهي الخيارات غير --tray و--set
بالحالة 3، وتنتهي جميعها بالحالة 4 إن كانت هناك نسخة عاملة لا يمكن الوصول إليها.
</translation>
    </message>
    <message>
        <source>Give only one of --set, --repeat, --off, --sleep, --skip, --unskip, --status, --help and --version; --repeat may go with --set.</source>
        <translation>حدّد خيارًا واحدًا فقط من: --set، --repeat، --off، --sleep، --skip، --unskip، --status، --help، --version؛ ويجوز --repeat مع --set.</translation>
    </message>
    <message>
        <source>--repeat takes once, daily, weekdays, weekends or days such as mon,tue, not %1.</source>
        <translation>يقبل --repeat القيم once أو daily أو weekdays أو weekends أو أيامًا مثل mon,tue، لا %1.</translation>
    </message>
</context>
<context>
    <name>CommonDialog</name>
    <message>
        <source>All Files (*)</source>
        <translation>كل الملفات (*)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Right Click For Options</source>
        <translation>انقر بالزر الأيمن للخيارات</translation>
    </message>
    <message>
        <source>The settings in %1 could not be read whole: %2.</source>
        <translation>تعذّرت قراءة الإعدادات في %1 كاملةً: %2.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>حُفظ الملف كما كان باسم %1.</translation>
    </message>
    <message>
        <source>No copy of it could be kept, so it will not be replaced.</source>
        <translation>تعذّر الاحتفاظ بنسخة منه، لذا لن يُستبدل.</translation>
    </message>
    <message>
        <source>It is left as it is; the settings are saved to %1.</source>
        <translation>يُترك كما هو، وتُحفظ الإعدادات في %1.</translation>
    </message>
    <message>
        <source>%1. The desktop&apos;s alarm sound and bell ring instead.</source>
        <translation>%1. يرنّ بدلًا منه صوت التنبيه وجرس سطح المكتب.</translation>
    </message>
    <message>
        <source>No alarm sound</source>
        <translation>لا صوت للمنبّه</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>تعذّر حفظ الإعدادات في %1: %2.</translation>
    </message>
    <message>
        <source>The start at login could not be changed: %1.</source>
        <translation>تعذّر تغيير التشغيل عند الدخول: %1.</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>الآن</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>المنبّه</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>غفوة</translation>
    </message>
    <message>
        <source>Tray</source>
        <translation>إخفاء</translation>
    </message>
    <message>
        <source>Select Alarm Sound</source>
        <translation>اختيار صوت المنبّه</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>شغّل</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>أوقف</translation>
    </message>
    <message>
        <source>Alarm status</source>
        <translation>حالة المنبّه</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>خيارات</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>خروج</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>مستوى الصوت</translation>
    </message>
    <message>
        <source>&amp;Menu</source>
        <translation>القائمة(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Choose Alarm Sound</source>
        <translation>اختيار صوت المنبّه(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Try Alarm Sound</source>
        <translation>تجربة صوت المنبّه(&amp;T)</translation>
    </message>
    <message>
        <source>Start At &amp;Login</source>
        <translation>التشغيل عند الدخول(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>خيارات(&amp;O)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>خروج(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>حول(&amp;A)</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>منبّه %1 دون إجابة</translation>
    </message>
    <message>
        <source>Missed %1</source>
        <translation>فات منبّه %1</translation>
    </message>
    <message>
        <source>Alarm %1, wakes this computer</source>
        <translation>منبّه %1، يوقظ الحاسوب</translation>
    </message>
    <message>
        <source>Alarm %1, keeps computer awake</source>
        <translation>منبّه %1، يمنع السكون</translation>
    </message>
    <message>
        <source>%1 skipped</source>
        <translation>تخطّي %1</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>About</source>
        <translation>حول</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>العنوان</translation>
    </message>
    <message>
        <source>Designed and Programmed by:</source>
        <translation>التصميم والبرمجة:</translation>
    </message>
    <message>
        <source>Designer&apos;s web site</source>
        <translation>موقع المصمّم</translation>
    </message>
    <message>
        <source>The Kestrune authors</source>
        <translation>مؤلفو Kestrune</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>المؤلف</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>البريد الإلكتروني</translation>
    </message>
    <message>
        <source>Web site</source>
        <translation>الموقع</translation>
    </message>
</context>
<context>
    <name>Form3</name>
    <message>
        <source>Options</source>
        <translation>خيارات</translation>
    </message>
    <message>
        <source>Sleep Timer / Min</source>
        <translation>الغفوة / دقيقة</translation>
    </message>
    <message>
        <source>Sleep minutes</source>
        <translation>دقائق الغفوة</translation>
    </message>
    <message>
        <source>Clock Forecolor</source>
        <translation>لون نص الساعة</translation>
    </message>
    <message>
        <source>Clock Backcolor</source>
        <translation>لون خلفية الساعة</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>إغلاق</translation>
    </message>
</context>
<context>
    <name>HelperProcess</name>
    <message>
        <source>stopped or crashed</source>
        <translation>توقّفت أو انهارت</translation>
    </message>
    <message>
        <source>ended (status %1)</source>
        <translation>انتهت (الحالة %1)</translation>
    </message>
</context>
<context>
    <name>MediaPlayer</name>
    <message>
        <source>the file does not exist or is not a regular file</source>
        <translation>الملف غير موجود أو ليس ملفًا عاديًا</translation>
    </message>
</context>
<context>
    <name>MprisPlayer</name>
    <message>
        <source>The alarm plays no other sound</source>
        <translation>لا يشغّل المنبّه أي صوت آخر</translation>
    </message>
</context>
<context>
    <name>NotSetNotice</name>
    <message>
        <source>Alarm %1 is not set</source>
        <translation>منبّه %1 غير مضبوط</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>إظهار</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>اضبط</translation>
    </message>
</context>
<context>
    <name>PathTrust</name>
    <message>
        <source>the root folder is not root&apos;s alone</source>
        <translation>المجلد الجذر ليس ملكًا لـ root وحده</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 غير موجود</translation>
    </message>
    <message>
        <source>%1 is a link of another user</source>
        <translation>%1 رابط لمستخدم آخر</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 ملك لمستخدم آخر</translation>
    </message>
    <message>
        <source>%1 is a chain of too many links</source>
        <translation>%1 سلسلة من روابط كثيرة جدًا</translation>
    </message>
    <message>
        <source>%1 is a link that leads nowhere</source>
        <translation>%1 رابط لا يؤدي إلى أي مكان</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ليس مجلدًا</translation>
    </message>
    <message>
        <source>others can write to %1</source>
        <translation>يستطيع غيرك الكتابة في %1</translation>
    </message>
    <message>
        <source>others can write to the folder %1</source>
        <translation>يستطيع غيرك الكتابة في المجلد %1</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>%1 is not there</source>
        <translation>%1 غير موجود</translation>
    </message>
    <message>
        <source>%1 is not a program</source>
        <translation>%1 ليس برنامجًا</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>RTL</translation>
    </message>
</context>
<context>
    <name>RepeatFile</name>
    <message>
        <source>it is not a regular file</source>
        <translation>ليس ملفًا عاديًا</translation>
    </message>
    <message>
        <source>it is longer than this file can be</source>
        <translation>إنه أطول مما يمكن أن يكون عليه هذا الملف</translation>
    </message>
    <message>
        <source>not all of its lines could be read</source>
        <translation>تعذّرت قراءة كل أسطره</translation>
    </message>
    <message>
        <source>there is nowhere to save it</source>
        <translation>لا يوجد مكان لحفظه</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>تعذّرت قراءته كاملًا وتعذّر الاحتفاظ بنسخة منه</translation>
    </message>
</context>
<context>
    <name>RepeatKeeper</name>
    <message>
        <source>The repeat days in %1 could not be read: %2. The alarm rings once until days are chosen again.</source>
        <translation>تعذّرت قراءة أيام التكرار في %1: %2. يرنّ المنبّه مرة واحدة حتى تُختار الأيام من جديد.</translation>
    </message>
    <message>
        <source>The file as it was is kept as %1.</source>
        <translation>حُفظ الملف كما كان باسم %1.</translation>
    </message>
    <message>
        <source>The repeat days in %1 belong to the alarm time %2, but the settings hold %3: they are not applied, and the alarm rings once.</source>
        <translation>أيام التكرار في %1 تخص وقت المنبّه %2، لكن الإعدادات تحمل %3: فلا تُطبَّق، ويرنّ المنبّه مرة واحدة.</translation>
    </message>
    <message>
        <source>Alarm %1 is set: %2</source>
        <translation>منبّه %1 مضبوط: %2</translation>
    </message>
</context>
<context>
    <name>RepeatMenu</name>
    <message>
        <source>&amp;Repeat</source>
        <translation>التكرار(&amp;R)</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring</source>
        <translation>تخطّي الرنين التالي(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Once</source>
        <translation>مرة واحدة(&amp;O)</translation>
    </message>
    <message>
        <source>Every &amp;Day</source>
        <translation>كل يوم(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Weekdays</source>
        <translation>أيام العمل(&amp;W)</translation>
    </message>
    <message>
        <source>Week&amp;ends</source>
        <translation>عطلة الأسبوع(&amp;E)</translation>
    </message>
    <message>
        <source>Skip &amp;Next Ring (%1)</source>
        <translation>تخطّي الرنين التالي (%1)(&amp;N)</translation>
    </message>
    <message>
        <source>every day</source>
        <translation>كل يوم</translation>
    </message>
    <message>
        <source>weekdays</source>
        <translation>أيام العمل</translation>
    </message>
    <message>
        <source>weekends</source>
        <translation>عطلة الأسبوع</translation>
    </message>
    <message>
        <source>once</source>
        <translation>مرة واحدة</translation>
    </message>
</context>
<context>
    <name>RingMediaControls</name>
    <message>
        <source>Alarm %1</source>
        <translation>منبّه %1</translation>
    </message>
</context>
<context>
    <name>RingNotification</name>
    <message>
        <source>Show</source>
        <translation>إظهار</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>غفوة</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>أوقف</translation>
    </message>
    <message>
        <source>Alarm %1</source>
        <translation>منبّه %1</translation>
    </message>
    <message>
        <source>Snoozed until %1</source>
        <translation>غفوة حتى %1</translation>
    </message>
    <message>
        <source>Alarm %1 rang unanswered</source>
        <translation>رنّ منبّه %1 دون إجابة</translation>
    </message>
</context>
<context>
    <name>RingSound</name>
    <message>
        <source>No sound output: </source>
        <translation>لا يوجد مخرج صوت: </translation>
    </message>
    <message>
        <source>No alarm sound: </source>
        <translation>لا صوت للمنبّه: </translation>
    </message>
    <message>
        <source>%1 stopped the sound process; the built-in tone will ring</source>
        <translation>أوقف %1 عملية الصوت؛ سترنّ النغمة المدمجة</translation>
    </message>
    <message>
        <source>%1 cannot be played; the built-in tone will ring</source>
        <translation>لا يمكن تشغيل %1؛ سترنّ النغمة المدمجة</translation>
    </message>
    <message>
        <source>the built-in tone cannot be played (%1)</source>
        <translation>لا يمكن تشغيل النغمة المدمجة (%1)</translation>
    </message>
</context>
<context>
    <name>ScriptCommand</name>
    <message>
        <source>Kestrune is not running.</source>
        <translation>Kestrune لا يعمل.</translation>
    </message>
    <message>
        <source>The running Kestrune did not answer.</source>
        <translation>لم يُجب Kestrune العامل.</translation>
    </message>
    <message>
        <source>Kestrune could not be started.</source>
        <translation>تعذّر تشغيل Kestrune.</translation>
    </message>
    <message>
        <source>Kestrune is running but cannot be reached.</source>
        <translation>Kestrune قيد التشغيل لكن لا يمكن الوصول إليه.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>إنه مجلد وليس ملفًا</translation>
    </message>
    <message>
        <source>it is a named pipe, not a regular file</source>
        <translation>إنه أنبوب مسمّى وليس ملفًا عاديًا</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file</source>
        <translation>إنه مقبس وليس ملفًا عاديًا</translation>
    </message>
    <message>
        <source>it is a device, not a regular file</source>
        <translation>إنه جهاز وليس ملفًا عاديًا</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>ليس ملفًا عاديًا</translation>
    </message>
    <message>
        <source>it is longer than a settings file can be</source>
        <translation>إنه أطول مما يمكن أن يكون عليه ملف الإعدادات</translation>
    </message>
    <message>
        <source>it starts as UTF-16 text but is not</source>
        <translation>يبدأ كنص UTF-16 لكنه ليس كذلك</translation>
    </message>
    <message>
        <source>not all of its five values could be read</source>
        <translation>تعذّرت قراءة قيمه الخمس كلها</translation>
    </message>
    <message>
        <source>%1; what could be read is used</source>
        <translation>%1؛ يُستخدم ما أمكن قراءته</translation>
    </message>
    <message>
        <source>the program&apos;s folder is not the user&apos;s to write, and there is no usable home folder (HOME is not set, not writable or another user&apos;s)</source>
        <translation>لا يحق للمستخدم الكتابة في مجلد البرنامج، ولا يوجد مجلد منزلي صالح (HOME غير معرّف أو غير قابل للكتابة أو ملك لمستخدم آخر)</translation>
    </message>
    <message>
        <source>its folder cannot be created</source>
        <translation>لا يمكن إنشاء مجلده</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>الملف للقراءة فقط</translation>
    </message>
    <message>
        <source>its folder is read-only</source>
        <translation>مجلده للقراءة فقط</translation>
    </message>
    <message>
        <source>it could not be read whole, and no copy of it could be kept</source>
        <translation>تعذّرت قراءته كاملًا، وتعذّر الاحتفاظ بنسخة منه</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Kestrune cannot make sure that only one copy of it runs: %1. Started again, it may run twice, with two alarms.</source>
        <translation>لا يستطيع Kestrune التأكد من تشغيل نسخة واحدة فقط منه: %1. إذا شُغّل مرة أخرى فقد يعمل مرتين بمنبّهين.</translation>
    </message>
    <message>
        <source>there is no folder of this user&apos;s alone to keep its lock in</source>
        <translation>لا يوجد مجلد خاص بهذا المستخدم وحده لحفظ قفله</translation>
    </message>
    <message>
        <source>the lock %1 cannot be made</source>
        <translation>لا يمكن إنشاء القفل %1</translation>
    </message>
    <message>
        <source>A later start of Kestrune cannot reach this one: %1. Commands such as kestrune --status and --off will fail while it runs.</source>
        <translation>لا يمكن لتشغيل لاحق لـ Kestrune الوصول إلى هذا: %1. ستفشل أوامر مثل kestrune --status و‎--off ما دام يعمل.</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 يخص مستخدمًا آخر</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>المسار %1 أطول من أن يصلح لمقبس</translation>
    </message>
    <message>
        <source>cannot listen on %1 (%2)</source>
        <translation>لا يمكن الاستماع على %1 (%2)</translation>
    </message>
</context>
<context>
    <name>SleepWarning</name>
    <message>
        <source>Kestrune cannot wake this computer; the alarm at %1 rings only if it is awake</source>
        <translation>لا يستطيع Kestrune إيقاظ هذا الحاسوب؛ لن يرنّ منبّه %1 إلا إذا كان مستيقظًا</translation>
    </message>
</context>
<context>
    <name>SoundProcess</name>
    <message>
        <source>no sound program can be used (%1)</source>
        <translation>لا يمكن استخدام أي برنامج صوت (%1)</translation>
    </message>
    <message>
        <source>the sound process %1</source>
        <translation>عملية الصوت %1</translation>
    </message>
    <message>
        <source>the sound program %1 cannot be started: %2</source>
        <translation>لا يمكن تشغيل برنامج الصوت %1: %2</translation>
    </message>
</context>
<context>
    <name>WakePolicy</name>
    <message>
        <source>An alarm is set</source>
        <translation>يوجد منبّه مضبوط</translation>
    </message>
</context>
</TS>
