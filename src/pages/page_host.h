#pragma once

#include <cstdint>
#include <vector>

class QWidget;

// When one Apply ran, from its start to its end, in wall-clock ms since 1970-01-01 UTC.
struct ApplyPeriod {
    std::int64_t startWallMs = 0;
    std::int64_t endWallMs = 0;
};

// What a page asks of the main window it sits in. The main sheet provides it; the pages never
// include the application's own windows.
class PageHost {
public:
    virtual ~PageHost() = default;
    // The title tells the state of the VDSL link.
    virtual void showLinkState(bool linkUp) = 0;
    // The about box, modal over asker's window.
    virtual void showAboutBox(QWidget* asker) = 0;
    // Every Apply of this session that got past its checks, oldest first.
    virtual std::vector<ApplyPeriod> applyPeriods() const { return {}; }
};

// The host of the main window that the page sits in; null when that window provides none.
PageHost* pageHostOf(QWidget& page);
