#include "platform/WakeProgramAlarm.h"

#include "core/LogCategories.h"
#include "platform/HelperProcess.h"

namespace {
// The wake program's answers: "<request> set <seconds>", "<request> refused <why>", and "clock set"
// on its own.
const QByteArray SetAnswer = QByteArrayLiteral("set ");
const QByteArray RefusedAnswer = QByteArrayLiteral("refused ");
const QByteArray CannotWake = QByteArrayLiteral("refused cannot wake this computer");
const QByteArray ClockSet = QByteArrayLiteral("clock set");
// Nothing it could answer is longer; a longer line is no answer of its.
constexpr qsizetype LongestAnswer = 256;
} // namespace

WakeProgramAlarm::WakeProgramAlarm(const QString& program, QObject* parent) : WakeAlarm(parent), m_program(program)
{
    qCInfo(lcPower, "the wake timer is held by %s", qPrintable(program));
}

WakeProgramAlarm::~WakeProgramAlarm()
{
    clear();
    // Its input closed, it ends at once: waited for rather than killed.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly))
        process->waitForFinished(1000);
}

bool WakeProgramAlarm::start()
{
    if (m_process)
        return true;
    if (m_givenUp)
        return false;
    m_buffer.clear();
    m_answered = false;
    // It runs with a capability of its own.
    auto* process = new HelperProcess(HelperProcess::Privilege::OwnCapability, this);
    m_process = process;
    connect(process, &QProcess::readyReadStandardOutput, this, &WakeProgramAlarm::readAnswers);
    connect(process, &HelperProcess::ended, this,
            [this, process](const QString& why) { ended(process, QStringLiteral("it ") + why); });
    connect(process, &HelperProcess::notStarted, this,
            [this, process](const QString& why) { ended(process, QStringLiteral("it cannot be started: ") + why); });
    process->start(m_program, {});
    return m_process != nullptr;
}

void WakeProgramAlarm::set(const QDateTime& when)
{
    if (!start())
        return;
    m_request = m_request % MaxRequest + 1;
    m_process->write(QByteArray::number(m_request) + ' ' + QByteArray::number(when.toSecsSinceEpoch()) + '\n');
}

void WakeProgramAlarm::clear()
{
    QProcess* process = std::exchange(m_process, nullptr);
    if (!process)
        return;
    // Its input closed, it ends by itself, and the timer goes with it.
    disconnect(process, nullptr, this, nullptr);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->closeWriteChannel();
    if (process->state() == QProcess::NotRunning)
        process->deleteLater();
}

void WakeProgramAlarm::readAnswers()
{
    if (!m_process)
        return;
    m_buffer += m_process->readAllStandardOutput();
    qsizetype end;
    while (m_process && (end = m_buffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        answered(line);
    }
    if (m_process && m_buffer.size() > LongestAnswer)
        giveUp(QStringLiteral("it answers what it should not"));
}

void WakeProgramAlarm::answered(const QByteArray& line)
{
    m_answered = true;
    if (line == ClockSet) {
        emit clockChanged();
        return;
    }
    const qsizetype space = line.indexOf(' ');
    bool numbered = false;
    const quint32 request = line.left(space).toUInt(&numbered);
    const QByteArray answer = line.mid(space + 1);
    if (space <= 0 || !numbered)
        return;
    if (answer.startsWith(CannotWake)) {
        // No capability (the package could not set it), no alarm clock in the kernel, or a user it
        // does not serve: whatever was asked, it will not wake.
        giveUp(QString::fromLatin1(answer.mid(RefusedAnswer.size())));
    } else if (request != m_request) {
        // The answer to an earlier moment: the last one asked is what counts.
    } else if (answer.startsWith(SetAnswer)) {
        setCanWake(true);
    } else if (answer.startsWith(RefusedAnswer)) {
        qCInfo(lcPower, "the wake program refused a time: %s", answer.mid(RefusedAnswer.size()).constData());
        setCanWake(false);
    }
}

void WakeProgramAlarm::ended(QProcess* process, const QString& why)
{
    if (process != m_process)
        return;
    m_process = nullptr;
    process->deleteLater();
    // One that never answered would fail the same way again; one that did is started at the next set().
    if (!m_answered)
        giveUp(QStringLiteral("the wake program %1: %2").arg(m_program, why));
    else {
        qCInfo(lcPower, "the wake program %s", qPrintable(why));
        setCanWake(false);
    }
}

void WakeProgramAlarm::giveUp(const QString& why)
{
    qCInfo(lcPower, "cannot wake this computer: %s", qPrintable(why));
    m_givenUp = true;
    clear();
    setCanWake(false);
}

void WakeProgramAlarm::setCanWake(bool canWake)
{
    if (canWake == m_canWake)
        return;
    m_canWake = canWake;
    emit canWakeChanged();
}
