#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The "Standard Skin": a style sheet with its images in the program's resources. It styles the
// client area and the controls; the frame and caption bar stay the desktop's own.
class Skin : public QObject {
    Q_OBJECT
public:
    explicit Skin(QObject* parent = nullptr);

    QString name() const { return QStringLiteral("Standard Skin"); }
    void ApplySkin(QWidget* window);
    static QString styleSheet();
};
