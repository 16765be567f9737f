#include "app/Forms.h"

#include "app/Form1.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"

#include <QPointer>
#include <QScrollBar>

namespace {
QPointer<Form1> main;
QPointer<Form2> about;
QPointer<Form3> options;
std::function<void()> onMainUnloaded;

void wire(Form1&) {}
// About's close box destroys it; the next showing creates it afresh.
void wire(Form2& form)
{
    QObject::connect(&form, &Form::closeRequested, &form, [] { Forms::unloadForm2(); });
}

// Options only announces the colours; the clock boxes they paint are the main window's.
void wire(Form3& form)
{
    QObject::connect(&form, &Form3::foreColorChosen, &form, [](qint32 color) {
        if (Form1* window = main) {
            window->Text1()->setForeColor(color);
            window->Text2()->setForeColor(color);
            window->settingsChanged();
        }
    });
    QObject::connect(&form, &Form3::backColorChosen, &form, [](qint32 color) {
        if (Form1* window = main) {
            window->Text1()->setBackColor(color);
            window->Text2()->setBackColor(color);
            window->settingsChanged();
        }
    });
    QObject::connect(form.HScroll1(), &QScrollBar::valueChanged, &form, [] {
        if (Form1* window = main)
            window->settingsChanged();
    });
}

template <class F> F& reference(QPointer<F>& slot)
{
    if (!slot) {
        // Stored before the load handler runs, so anything it reaches refers to this window.
        slot = new F;
        wire(*slot);
        slot->Form_Load();
    }
    return *slot;
}

template <class F> void unload(QPointer<F>& slot)
{
    F* form = slot;
    if (!form)
        return;
    slot = nullptr;
    form->Form_Unload();
    form->hide();
    // Destroyed from the event loop: the unload may have started inside one of its own menus.
    form->deleteLater();
}
} // namespace

Form1& Forms::form1()
{
    return reference(main);
}

Form2& Forms::form2()
{
    return reference(about);
}

Form3& Forms::form3()
{
    return reference(options);
}

bool Forms::hasForm1()
{
    return !main.isNull();
}

bool Forms::hasForm2()
{
    return !about.isNull();
}

bool Forms::hasForm3()
{
    return !options.isNull();
}

void Forms::unloadForm1()
{
    const bool existed = hasForm1();
    unload(main);
    if (existed && onMainUnloaded)
        onMainUnloaded();
}

void Forms::unloadForm2()
{
    unload(about);
}

void Forms::unloadForm3()
{
    unload(options);
}

void Forms::setOnMainUnloaded(std::function<void()> callback)
{
    onMainUnloaded = std::move(callback);
}
