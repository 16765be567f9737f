#include "core/TimeText.h"

#include "core/Clock.h"

QString TimeText::of(const QTime& time)
{
    // Built by hand: QTime::toString follows no locale, but spelling it out keeps it obviously fixed.
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

QString TimeText::now()
{
    return of(Clock::instance().now().time());
}
