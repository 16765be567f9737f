#pragma once

#include <QByteArray>
#include <QLocale>

// The user's language for every text the program shows or says: its own texts and Qt's (the
// standard buttons, the file and colour dialogs). The program's catalogues are built into it, Qt's
// come from Qt's own folder; a language without a catalogue shows the texts as written, in English.
class Translations {
public:
    // Before the first window: the texts, and the layout's direction, follow the user's locale.
    static void install();
    // Installs the catalogues of this language in place of those installed before; false when the
    // program has none for it, and its texts are then shown as written.
    static bool load(const QLocale& language);
    // The first of the user's languages, best first, that the program has a catalogue for; empty
    // when English comes first, or none is there.
    static QString catalogueFor(const QStringList& languages);

    // A text of the command line, which is answered before the application exists: from the program's
    // catalogue for the user's language, read once. Once the application exists, its catalogues answer.
    static QString early(const char* context, const char* text);

    // The locale that decides the language of messages, as the C library picks it: LC_ALL, else
    // LC_MESSAGES, else LANG.
    static QByteArray messagesLocale();
    // True for the C and POSIX locales: texts are shown as written, whatever LANGUAGE asks, as
    // gettext programs do, so that LANG=C gives every text exactly as the program has it.
    static bool asWritten(const QByteArray& messagesLocale);
};
