// The baseline the benchmark compares Kestrune with: a bare Qt window whose label a one-second
// timer updates. --player adds an idle QMediaPlayer with a QAudioOutput, as an alarm clock holds;
// --source FILE also loads a file into it, as an armed alarm does. --play FILE --at SECONDS sets the
// file and plays it at -30 dB just after that second (epoch seconds) begins, as a ring does: the
// baseline for the ring onset.
#include <QApplication>
#include <QAudioOutput>
#include <QDateTime>
#include <QLabel>
#include <QMediaPlayer>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    // The same backend Kestrune selects, so the baselines pay for the same pipeline.
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);

    const QStringList args = QApplication::arguments();
    const auto valueOf = [&args](const char* option) {
        const qsizetype at = args.indexOf(QLatin1String(option));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const QString source = valueOf("--source");
    const QString playFile = valueOf("--play");
    const qint64 playAtMs = valueOf("--at").toLongLong() * 1000 + 3;
    const bool withPlayer = args.contains(QStringLiteral("--player")) || !source.isEmpty() || !playFile.isEmpty();

    QWidget window;
    window.setWindowTitle(QStringLiteral("BareWindow"));
    window.resize(360, 136);
    auto* label = new QLabel(&window);
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(label);

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, label,
                     [label] { label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); });
    label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    timer.start(1000);

    if (withPlayer) {
        auto* player = new QMediaPlayer(&window);
        auto* output = new QAudioOutput(player);
        player->setAudioOutput(output);
        if (!source.isEmpty())
            player->setSource(QUrl::fromLocalFile(source));
        if (!playFile.isEmpty()) {
            output->setVolume(0.0316f); // -30 dB, where the alarm's fade starts
            const qint64 wait = qMax<qint64>(0, playAtMs - QDateTime::currentMSecsSinceEpoch());
            QTimer::singleShot(int(wait), Qt::PreciseTimer, player, [player, playFile] {
                player->setSource(QUrl::fromLocalFile(playFile));
                player->play();
            });
        }
    }

    window.show();
    return QApplication::exec();
}
