#include "app/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
// Read by QGuiApplication when a catalogue is installed: the catalogue of a language written from
// right to left says "RTL", which mirrors menus, dialogs and the windows' tables.
[[maybe_unused]] const char* const LayoutDirection = QT_TRANSLATE_NOOP("QGuiApplication", "QT_LAYOUT_DIRECTION");

QList<QPointer<QTranslator>> installed;

void use(QTranslator* translator)
{
    QCoreApplication::installTranslator(translator);
    installed << translator;
}
} // namespace

void Translations::install()
{
    if (!asWritten(messagesLocale()))
        load(QLocale::system());
}

bool Translations::load(const QLocale& language)
{
    for (QTranslator* before : std::as_const(installed))
        delete before; // which uninstalls it
    installed.clear();
    const QString name = catalogueFor(language.uiLanguages());
    if (name.isEmpty())
        return false;
    // Qt's own first, so that the program's catalogue, installed last, is asked first.
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QStringLiteral("qtbase_") + name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        use(qt);
    else
        delete qt;
    auto* own = new QTranslator(QCoreApplication::instance());
    if (!own->load(QStringLiteral("kestrune_") + name, QStringLiteral(":/i18n"))) {
        delete own;
        return false;
    }
    use(own);
    return true;
}

QString Translations::catalogueFor(const QStringList& languages)
{
    for (QString language : languages) {
        language.replace(u'-', u'_');
        // The texts are written in English: English asked for before any other keeps them so.
        if (language == QLatin1String("en") || language.startsWith(QLatin1String("en_")))
            return QString();
        if (QFile::exists(QStringLiteral(":/i18n/kestrune_%1.qm").arg(language)))
            return language;
    }
    return QString();
}

QString Translations::early(const char* context, const char* text)
{
    if (QCoreApplication::instance())
        return QCoreApplication::translate(context, text);
    static const std::unique_ptr<QTranslator> own = [] {
        auto translator = std::make_unique<QTranslator>();
        const QString name = asWritten(messagesLocale()) ? QString() : catalogueFor(QLocale::system().uiLanguages());
        if (name.isEmpty() || !translator->load(QStringLiteral("kestrune_") + name, QStringLiteral(":/i18n")))
            return std::unique_ptr<QTranslator>();
        return translator;
    }();
    const QString translated = own ? own->translate(context, text) : QString();
    return translated.isEmpty() ? QString::fromUtf8(text) : translated;
}

QByteArray Translations::messagesLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value;
    }
    return QByteArray();
}

bool Translations::asWritten(const QByteArray& messagesLocale)
{
    return messagesLocale.isEmpty() || messagesLocale == "C" || messagesLocale == "POSIX" ||
           messagesLocale.startsWith("C.") || messagesLocale.startsWith("C@");
}
