#pragma once

#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "ui/Form.h"

// The About window: name, version, credits and three links.
class Form2 : public Form {
    Q_OBJECT
public:
    Form2();

    TextBox* Text3() const { return m_Text3; }
    TextBox* Text4() const { return m_Text4; }
    TextBox* Text5() const { return m_Text5; }
    TextBox* Text6() const { return m_Text6; }
    Skin* Skin1() const { return m_Skin1; }

    static inline const QString DesignerSite = QStringLiteral("https://design.kestrune.example/");
    static inline const QString WebAddress = QStringLiteral("https://kestrune.example/");
    static inline const QString MailAddress = QStringLiteral("hello@kestrune.example");

    void Form_Load() override;
    void Text4_Click();
    void Text3_Click();
    void Text6_Click();

    // Smaller than this a text is no longer read comfortably; it is cut instead.
    static constexpr qreal MinimumPoints = 6.0;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitTexts();

    // Looked up once, when the window is built; see Form::require.
    TextBox* const m_Text3 = require<TextBox>("Text3");
    TextBox* const m_Text4 = require<TextBox>("Text4");
    TextBox* const m_Text5 = require<TextBox>("Text5");
    TextBox* const m_Text6 = require<TextBox>("Text6");
    Skin* const m_Skin1 = require<Skin>("Skin1");
};
