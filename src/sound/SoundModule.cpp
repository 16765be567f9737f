#include "sound/SoundModule.h"

#include "core/LogCategories.h"
#include "platform/PlayerBackend.h"
#include "sound/SoundModuleApi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {
struct Loaded {
    const SoundModuleApi* api = nullptr;
    QString problem;
};

QStringList candidates()
{
    const QDir here(QCoreApplication::applicationDirPath());
    return {here.filePath(QString::fromLatin1(SoundModuleFileName)),
            QDir::cleanPath(here.filePath(QStringLiteral("../" KESTRUNE_MODULE_SUBDIR "/")) + QLatin1Char('/') +
                            QString::fromLatin1(SoundModuleFileName))};
}

const Loaded& loaded()
{
    static const Loaded result = [] {
        Loaded l;
        QStringList tried;
        for (const QString& path : candidates()) {
            if (!QFileInfo(path).isFile()) {
                tried << path;
                continue;
            }
            // Never unloaded: its threads and GStreamer live until the program ends.
            auto* library = new QLibrary(path);
            library->setLoadHints(QLibrary::PreventUnloadHint);
            using Entry = const SoundModuleApi* (*)();
            const auto entry = reinterpret_cast<Entry>(library->resolve(SoundModuleEntryName));
            const SoundModuleApi* api = entry ? entry() : nullptr;
            if (api && api->version == SoundModuleVersion && qstrcmp(api->programVersion, KESTRUNE_VERSION) == 0) {
                l.api = api;
                return l;
            }
            l.problem =
                entry ? QStringLiteral("the sound module %1 belongs to another version").arg(path)
                      : QStringLiteral("the sound module %1 cannot be loaded: %2").arg(path, library->errorString());
            qCWarning(lcSound).noquote() << l.problem;
            library->unload();
            delete library;
            return l;
        }
        l.problem = QStringLiteral("the sound module is missing (looked for %1)").arg(tried.join(QStringLiteral(", ")));
        qCWarning(lcSound).noquote() << l.problem;
        return l;
    }();
    return result;
}

// Stands in for the player when the module is not there: every sound fails at once, saying why, so
// the ring still comes forward and the engine's fallbacks run.
class NoSoundPlayer : public PlayerBackend {
public:
    void prepare(const QString&) override {}
    void start(const QString&, bool) override {}
    void stop() override {}
    void release() override {}
    void setGain(double) override {}
    QString outputProblem() const override { return SoundModule::problem(); }
};
} // namespace

std::unique_ptr<PlayerBackend> SoundModule::createPlayer()
{
    if (const SoundModuleApi* api = loaded().api)
        return std::unique_ptr<PlayerBackend>(api->createPlayer());
    return std::make_unique<NoSoundPlayer>();
}

SystemSound* SoundModule::desktopSound()
{
    const SoundModuleApi* api = loaded().api;
    return api ? api->desktopSound() : nullptr;
}

QString SoundModule::problem()
{
    return loaded().problem;
}
