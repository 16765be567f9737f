#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// The program's modal message box, with a seam so tests can see it without blocking.
class MessageBox {
public:
    struct Shown {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
    };

    // The application's title, which captions every box of the program: a name, the same in every language.
    static QString title() { return QStringLiteral("Kestrune"); }
    static void information(QWidget* owner, const QString& caption, const QString& text);
    static void warning(QWidget* owner, const QString& caption, const QString& text);
    // Closes every box waiting for an answer, as if it had been answered: the program's end does
    // not wait for one.
    static void closeAll();
    // Tests: record instead of showing. An empty function shows real boxes again.
    static void interceptWith(std::function<void(const Shown&)> recorder);
};
