#pragma once

class Form;
class QWidget;
struct ControlRow;
struct FontChoice;

// Creates a window's widgets, timers and menus from its table.
class FormBuilder {
public:
    static void build(Form& form);
    static constexpr int TwipsPerPixel = 15;

private:
    static QWidget* buildWidget(Form& form, const ControlRow& table, QWidget* container);
    static void buildNonVisual(Form& form, const ControlRow& table);
    static void buildMenus(Form& form);
    static void buildTabOrder(Form& form);
};
