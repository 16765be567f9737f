#include "dialogs/Form3.h"

#include "alarm/SnoozeMinutes.h"
#include "controls/CommonDialog.h"
#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "ui/FormTables.h"

#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <cmath>

Form3::Form3() : Form(FormTables::form3())
{
    connect(Command1(), &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2(), &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3(), &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(HScroll1(), &QScrollBar::valueChanged, this, &Form3::HScroll1_Change);
    connect(HScroll1(), &QScrollBar::sliderMoved, this, &Form3::HScroll1_Scroll);
    connect(Text2(), &QLineEdit::textChanged, this, &Form3::Text2_Change);
    // The close box only hides, like "Exit": the window keeps its state.
    connect(this, &Form::closeRequested, this, &Form3::Command1_Click);
    HScroll1()->installEventFilter(this);
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    // The bar's own key handling leaves its value alone here: arrows step by one, page keys by a
    // page, Home and End go to the ends, as a scroll bar does on the keyboard.
    if (watched == HScroll1() && event->type() == QEvent::KeyPress) {
        QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = QAbstractSlider::SliderSingleStepSub;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = QAbstractSlider::SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = QAbstractSlider::SliderToMinimum;
            break;
        case Qt::Key_End:
            action = QAbstractSlider::SliderToMaximum;
            break;
        default:
            return false;
        }
        HScroll1()->triggerAction(action);
        return true;
    }
    return Form::eventFilter(watched, event);
}

void Form3::keyPressEvent(QKeyEvent* event)
{
    // Escape hides the window, as its "Exit" does.
    if (event->key() == Qt::Key_Escape) {
        Command1_Click();
        return;
    }
    Form::keyPressEvent(event);
}

void Form3::Form_Load()
{
    Skin1()->ApplySkin(this);
}

void Form3::Command1_Click()
{
    hide();
}

void Form3::Command2_Click()
{
    // A cancelled picker leaves the clock as it was.
    if (CommonDialog1()->ShowColor(this))
        emit foreColorChosen(CommonDialog1()->Color());
}

void Form3::Command3_Click()
{
    if (CommonDialog1()->ShowColor(this))
        emit backColorChosen(CommonDialog1()->Color());
}

void Form3::HScroll1_Change()
{
    Text2()->setText(QString::number(HScroll1()->value()));
}

void Form3::HScroll1_Scroll()
{
    HScroll1_Change();
}

void Form3::Text2_Change()
{
    bool ok = false;
    const double value = QLocale().toDouble(Text2()->text().trimmed(), &ok);
    // Text that is no whole number in 16 bits leaves the snooze length as it was.
    if (!ok || !std::isfinite(value))
        return;
    const double rounded = std::nearbyint(value); // halves go to the even neighbour
    if (rounded < -32768 || rounded > 32767)
        return;
    SnoozeMinutes = qint16(rounded);
    // A whole number the bar can show moves it too, so that what the box shows is what is saved.
    // The bar's own change handling is kept out: it would rewrite the text being typed.
    if (rounded == value && rounded >= HScroll1()->minimum() && rounded <= HScroll1()->maximum()) {
        const QSignalBlocker quiet(HScroll1());
        HScroll1()->setValue(int(rounded));
    }
}
