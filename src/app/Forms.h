#pragma once

#include <functional>

class Form1;
class Form2;
class Form3;

// The one global reference to each window. A window is created on its first reference, hidden,
// and its load handler runs; unloading destroys it, and a later reference creates it afresh.
class Forms {
public:
    static Form1& form1();
    static Form2& form2();
    static Form3& form3();
    static bool hasForm1();
    static bool hasForm2();
    static bool hasForm3();

    static void unloadForm1();
    static void unloadForm2();
    static void unloadForm3();

    // Runs once the main window has been unloaded: the program's end.
    static void setOnMainUnloaded(std::function<void()> callback);
};
