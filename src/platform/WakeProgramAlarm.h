#pragma once

#include "platform/WakeAlarm.h"

#include <QByteArray>
#include <QString>

class QProcess;

// The wake timer held by the wake program, which has the file capability CAP_WAKE_ALARM where the
// program itself has none (a systemd 252 session). Started at the first set(), it is told each
// moment on a line and answers whether it set it; clear() closes its input, and it ends and its
// timer with it. It cannot wake until it says it set the timer last asked for; each request is
// numbered and each answer names the one it answers.
class WakeProgramAlarm : public WakeAlarm {
    Q_OBJECT
public:
    WakeProgramAlarm(const QString& program, QObject* parent = nullptr);
    ~WakeProgramAlarm() override;

    bool canWake() const override { return m_canWake; }
    void set(const QDateTime& when) override;
    void clear() override;

private:
    bool start();
    void readAnswers();
    void answered(const QByteArray& line);
    void ended(QProcess* process, const QString& why);
    void giveUp(const QString& why);
    void setCanWake(bool canWake);

    QString m_program;
    QProcess* m_process = nullptr;
    QByteArray m_buffer;
    bool m_canWake = false;
    bool m_answered = false; // the running wake program has answered a line
    bool m_givenUp = false;  // it cannot wake this computer: not started again
    quint32 m_request = 0;   // the number of the last moment asked for
    // The wake program takes numbers of up to nine digits.
    static constexpr quint32 MaxRequest = 999999999;
};
