#pragma once

#include "platform/SuspendInhibitor.h"

#include <QStringList>
#include <QVariant>

class QDBusMessage;

// The desktop portal's Inhibit with the Suspend flag, which GNOME and KDE map to their own power
// settings; else the freedesktop PowerManagement inhibit; else a logind idle block. Every call is
// asynchronous and each service is tried in turn when the one before is missing.
class DesktopSuspendInhibitor : public SuspendInhibitor {
    Q_OBJECT
public:
    using SuspendInhibitor::SuspendInhibitor;
    ~DesktopSuspendInhibitor() override;

    void hold(const QString& reason) override;
    void release() override;

private:
    enum class Step { Portal, PowerManagement, Logind, None };
    void tryStep(Step step);
    void answered(Step step, const QDBusMessage& reply);
    static void giveBack(Step step, const QVariant& token);

    bool m_held = false;
    quint64 m_generation = 0; // replies for an earlier hold are let go at once
    QString m_reason;
    QStringList m_missing;
    Step m_step = Step::None; // the service that holds the inhibit
    QVariant m_token;         // its request path, cookie or descriptor
};
