#pragma once

#include <QString>

// Hands the token a desktop gave with a click in a notification to the window brought forward while
// this object lives; without it GNOME and KDE on Wayland refuse to raise a window that has no focus.
// X11 has no use for it, and there nothing is changed.
class ActivationToken {
public:
    explicit ActivationToken(const QString& token);
    ~ActivationToken();
    ActivationToken(const ActivationToken&) = delete;
    ActivationToken& operator=(const ActivationToken&) = delete;

private:
    bool m_set = false;
};
