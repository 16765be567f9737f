#include "controls/MessageBox.h"

namespace {
std::function<void(const MessageBox::Shown&)> interceptor;
QList<QMessageBox*> waiting;
} // namespace

void MessageBox::interceptWith(std::function<void(const Shown&)> recorder)
{
    interceptor = std::move(recorder);
}

namespace {
void show(QMessageBox::Icon icon, QWidget* owner, const QString& caption, const QString& text)
{
    if (interceptor) {
        interceptor({caption, text, icon});
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    waiting.append(&box);
    box.exec();
    waiting.removeOne(&box);
}
} // namespace

void MessageBox::information(QWidget* owner, const QString& caption, const QString& text)
{
    show(QMessageBox::Information, owner, caption, text);
}

void MessageBox::warning(QWidget* owner, const QString& caption, const QString& text)
{
    show(QMessageBox::Warning, owner, caption, text);
}

void MessageBox::closeAll()
{
    for (QMessageBox* box : std::as_const(waiting))
        box->done(QMessageBox::Ok);
}
