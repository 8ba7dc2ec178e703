#pragma once

class QWidget;

// What a page asks of the main window it sits in. The main sheet provides it; the pages never
// include the application's own windows.
class PageHost {
public:
    virtual ~PageHost() = default;
    // The title tells the state of the VDSL link.
    virtual void showLinkState(bool linkUp) = 0;
    // The about box, modal over asker's window.
    virtual void showAboutBox(QWidget* asker) = 0;
};

// The host of the main window that the page sits in; null when that window provides none.
PageHost* pageHostOf(QWidget& page);
