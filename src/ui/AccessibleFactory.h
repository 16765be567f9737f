#pragma once

// Tells assistive technology what the windows and text boxes are: each window a frame (the main
// window) or a dialog, named by its caption, instead of Qt's unnamed "filler" for a plain widget;
// each text box read whole, a link box as a link that can be pressed. Installed once, before the
// first window.
class AccessibleFactory {
public:
    static void install();
};
