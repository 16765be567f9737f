#include "controls/MessageBox.h"

namespace {
std::function<void(const MessageBox::Shown&)> interceptor;
}

void MessageBox::interceptWith(std::function<void(const Shown&)> recorder)
{
    interceptor = std::move(recorder);
}

void MessageBox::information(QWidget* owner, const QString& caption, const QString& text)
{
    if (interceptor) {
        interceptor({caption, text, QMessageBox::Information});
        return;
    }
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner);
    box.exec();
}
