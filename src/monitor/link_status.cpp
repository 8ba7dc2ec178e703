#include "monitor/link_status.h"

#include "link/registers.h"
#include "monitor/poll_timer.h"
#include "pages/page_host.h"
#include "platform/message_box.h"
#include "res/control_ids.h"

#include <QRadioButton>

namespace monitor {

std::optional<std::uint8_t> readRegister(CConsoleLink& link, const char* reg) {
    std::uint8_t value = 0;
    if (link.ReadRegister(reg, value) == 0)
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> readRegisterBytes(CConsoleLink& link, const char* reg, int count) {
    std::uint32_t value = 0;
    if (link.ReadRegisterBytes(reg, value, count) == 0)
        return std::nullopt;
    return value;
}

void requirePSideUnit(CConsoleLink& link, platform::WindowHandle page) {
    link.SelectLocal();
    // A unit that does not tell its side is not refused: the page only reads from it.
    const std::optional<std::uint8_t> unitType = readRegister(link, kRegUnitType);
    if (!unitType || (*unitType & kUnitTypeSSide) == 0)
        return;
    // The process ends after the box: no tick may poll the S-side unit while the box is up.
    killPollTimer(page);
    platform::messageBox(page, "P side must be connected to start this procedure");
    link.CloseAndExit();
}

void checkLocal(const platform::DialogPage& page) {
    page.control<QRadioButton>(res::ids::status_side::kLocal)->setChecked(true);
    page.control<QRadioButton>(res::ids::status_side::kRemote)->setChecked(false);
}

bool selectRemote(CConsoleLink& link, const platform::DialogPage& page) {
    if (link.reachRemote() == 1)
        return true;
    checkLocal(page);
    link.SelectLocal();
    return false;
}

std::optional<std::uint8_t> updateLinkStatus(CConsoleLink& link, platform::DialogPage& page) {
    // A unit that does not report its link state cannot be relied on to reach the remote unit:
    // that counts as link down. (The console answers a read of an unreachable remote unit with
    // a notice, and is then back on the local unit.)
    const std::optional<std::uint8_t> state = readRegister(link, kRegLinkState);
    PageHost* host = pageHostOf(page);
    auto* remote = page.control<QRadioButton>(res::ids::status_side::kRemote);
    if (state && (*state & kLinkUp) != 0) {
        if (host != nullptr)
            host->showLinkState(true);
        remote->setEnabled(true);
        return state;
    }
    if (host != nullptr)
        host->showLinkState(false);
    checkLocal(page);
    remote->setEnabled(false);
    link.SelectLocal();
    return state;
}

} // namespace monitor
