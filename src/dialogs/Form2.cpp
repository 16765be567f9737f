#include "dialogs/Form2.h"

#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "platform/LinkOpener.h"
#include "ui/FormTables.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QStyle>
#include <QUrl>

Form2::Form2() : Form(FormTables::form2())
{
    connect(Text4(), &TextBox::clicked, this, &Form2::Text4_Click);
    connect(Text3(), &TextBox::clicked, this, &Form2::Text3_Click);
    connect(Text6(), &TextBox::clicked, this, &Form2::Text6_Click);
    for (TextBox* link : {Text4(), Text3(), Text6()})
        link->setLink(true);
    for (TextBox* box : findChildren<TextBox*>())
        box->setCaretShown(false);
    fitTexts();
}

void Form2::fitTexts()
{
    // The boxes and their texts are fixed, and the Liberation faces draw some of the texts wider
    // than their boxes ("Designed and Programmed by:"): such a text is drawn a little smaller, whole,
    // rather than cut. A line edit keeps 2 pixels free at each side of its text, and a hinted face
    // may draw a pixel wider at another scale than it measures.
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    for (TextBox* box : findChildren<TextBox*>()) {
        const qreal room = box->width() - 2 * frame - 2 * 2 - 1;
        QFont font = box->font();
        while (QFontMetricsF(font).horizontalAdvance(box->text()) > room && font.pointSizeF() > MinimumPoints)
            font.setPointSizeF(font.pointSizeF() - 0.25);
        if (font != box->font())
            box->setFont(font);
    }
}

void Form2::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the window as its close box does; whoever created it decides what that means.
    if (event->key() == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    Form::keyPressEvent(event);
}

void Form2::Form_Load()
{
    Skin1()->ApplySkin(this);
}

// The links are the program's constants, never the boxes' text, which the user can type into.
void Form2::Text4_Click()
{
    LinkOpener::instance().open(QUrl(DesignerSite));
}

void Form2::Text3_Click()
{
    LinkOpener::instance().open(QUrl(WebAddress));
}

void Form2::Text6_Click()
{
    LinkOpener::instance().open(QUrl(QStringLiteral("mailto:") + MailAddress));
}
