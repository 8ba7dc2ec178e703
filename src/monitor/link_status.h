#pragma once

#include "link/console_link.h"
#include "platform/dialog_host.h"

#include <cstdint>
#include <optional>

// What the two status pages share of their console work: the link check that writes the link
// state into the main window's title, the check that a P-side unit is cabled, the side buttons
// and reads that tell a reply without a value from a value.
namespace monitor {

// A register read; nothing when the reply held no value (a transport failure never returns).
std::optional<std::uint8_t> readRegister(CConsoleLink& link, const char* reg);
std::optional<std::uint32_t> readRegisterBytes(CConsoleLink& link, const char* reg, int count);

// Puts the console on the unit cabled to the PC and makes sure it is a P-side unit: with an
// S-side unit the page's poll stops, the user is told "P side must be connected to start this
// procedure" and the process ends (CloseAndExit).
void requirePSideUnit(CConsoleLink& link, platform::WindowHandle page);

// Checks "Local" and clears "Remote".
void checkLocal(const platform::DialogPage& page);

// The "Remote" button's selection. A remote unit that cannot be reached leaves the page on the
// local unit with "Local" checked, as a link found down does; returns false then.
bool selectRemote(CConsoleLink& link, const platform::DialogPage& page);

// The link check of a status page, on whichever unit the console addresses: the main window's
// title tells the link state; with the link down the page falls back to the local unit. Returns
// the link state read, nothing when the reply held no value.
std::optional<std::uint8_t> updateLinkStatus(CConsoleLink& link, platform::DialogPage& page);

} // namespace monitor

// The link check of either status page: it needs only the page's link, its main window and its
// side buttons.
template <class StatusPage>
std::optional<std::uint8_t> UpdateLinkStatus(StatusPage& page) {
    return monitor::updateLinkStatus(page.link, page);
}
