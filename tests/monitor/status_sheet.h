#pragma once

#include "monitor/ethernet_status_page.h"
#include "monitor/vdsl_status_page.h"
#include "support/sim_fixture.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QDialog;
class QTabWidget;

namespace monitortest {

// Both status pages in a sheet of their own, after a blank first page (the main sheet's
// Configuration page talks to the unit when it opens; these tests watch only the status pages),
// cabled to a simulated P-side unit. Window timers are recorded instead of run: ticks are driven
// by calling onWindowTimer.
class StatusSheet : public simtest::SimFixture {
public:
    static constexpr int kBlankTab = 0;
    static constexpr int kVdslTab = 1;
    static constexpr int kEnetTab = 2;
    // The side buttons of both pages.
    static constexpr int kLocal = 1045;
    static constexpr int kRemote = 1046;

protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the sheet (if it is not yet shown) with the given page.
    void showTab(int index);
    void closeSheet();
    void destroySheet();

    // Commands received by the attached unit since the last clearCommands, without line feeds.
    std::vector<std::string> commands() const;
    void clearCommands() { pair_->clearCommandLog(); }

    QString text(const platform::DialogPage& page, int id) const;
    bool checked(const platform::DialogPage& page, int id) const;
    bool enabled(const platform::DialogPage& page, int id) const;
    void click(const platform::DialogPage& page, int id);
    QString title() const;

    // Runs action, which must end the process (the test's exit handler throws); its status.
    int exitStatusOf(const std::function<void()>& action);

    // A register the unit computes reads as value on that unit from now on.
    void fix(sim::Side side, std::uint16_t addr, std::uint32_t value);

    std::unique_ptr<QDialog> sheet_;
    QTabWidget* tabs_ = nullptr;
    CStatus* vdsl_ = nullptr;
    CEnetStatus* enet_ = nullptr;

    // Timer starts fail while this is set.
    bool failTimers_ = false;
    // Timers alive, by window and identifier.
    std::set<std::pair<platform::WindowHandle, unsigned>> timers_;
    // Timer starts and kills and message boxes, in order: "set vdsl 64 4000", "kill enet 64",
    // "box Fatal Error: ...".
    std::vector<std::string> events_;

private:
    void buildSheet();
    void recordTimersAndBoxes();
    std::string nameOf(platform::WindowHandle window) const;
};

} // namespace monitortest
