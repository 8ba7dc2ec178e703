#pragma once

#include "monitor/ethernet_status_page.h"
#include "monitor/vdsl_status_page.h"
#include "platform/journal.h"
#include "platform/window_seams.h"
#include "platform/window_timers.h"
#include "res/control_ids.h"
#include "support/command_log.h"
#include "support/sim_fixture.h"
#include "support/test_sheet.h"
#include "support/work_folder.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <optional>
#include <set>

namespace monitortest {

using sim::Side;
using testsupport::Lines;
using testsupport::receivedCommands;

// Both status pages in a sheet of their own, after a blank first page (the main sheet's
// Configuration page talks to the unit when it opens), cabled to a simulated P-side unit.
// Window timers are recorded instead of run: a test calls onWindowTimer for a tick.
class StatusSheet : public simtest::SimFixture {
public:
    static constexpr int kBlankTab = 0, kVdslTab = 1, kEnetTab = 2;
    static constexpr int kLocal = res::ids::status_side::kLocal;
    static constexpr int kRemote = res::ids::status_side::kRemote;

protected:
    void SetUp() override {
        SimFixture::SetUp();
        sheet_->setWindowTitle("Quillon Configurator");
        tabs_->addTab(new QWidget, "Configuration");
        tabs_->addTab(vdsl_, "VDSL Status");
        tabs_->addTab(enet_, "Ethernet Status");
        platform::setMainWindow(sheet_.get());
        vdsl_->setObjectName("vdsl");
        enet_->setObjectName("enet");
        const auto name = [](platform::WindowHandle window, unsigned id) {
            return QString(" %1 %2").arg(window->objectName()).arg(id).toStdString();
        };
        platform::setWindowTimerBackend(
            {[this, name](platform::WindowHandle window, unsigned id, unsigned ms) -> unsigned {
                 events_.push_back("set" + name(window, id) + " " + std::to_string(ms));
                 return failTimers_ ? 0 : (timers_.insert({window, id}), id);
             },
             [this, name](platform::WindowHandle window, unsigned id) {
                 events_.push_back("kill" + name(window, id));
                 return timers_.erase({window, id}) == 1;
             }});
        whileBoxUp_ = [this](const testsupport::RecordedBox& box) {
            events_.push_back("box " + box.caption + ": " + box.text);
        };
    }
    void TearDown() override {
        sheet_.reset();
        SimFixture::TearDown();
    }

    void showTab(int index) {
        sheet_->show();
        tabs_->setCurrentIndex(index);
    }
    // Commands received by the attached unit since the last clearCommands, without line feeds.
    Lines commands() const { return receivedCommands(*pair_, testsupport::Shown::Text); }
    void clearCommands() { pair_->clearCommandLog(); }
    static QString text(const platform::DialogPage& page, int id) {
        return page.control<QLineEdit>(id)->text();
    }
    static bool checked(const platform::DialogPage& page, int id) {
        return page.control<QAbstractButton>(id)->isChecked();
    }
    static void click(const platform::DialogPage& page, int id) {
        page.control<QAbstractButton>(id)->click();
    }
    // The VDSL page's readouts (SNR, MSE, RS errors, power, link fails), then "x" or "." for
    // each link and receiver indicator.
    Lines vdslShown() const {
        Lines all;
        using namespace res::ids::vdsl_status;
        for (int id : {kSnr, kMse, kRsErrors, kTransmitPower, kLinkFailCounter})
            all.push_back(text(*vdsl_, id).toStdString());
        for (int id : {kFullConstellationLink, kReducedConstellationLink, kTcSynchronized,
                       kEthernetEncapsulationSync, kRemoteInterfaceSynchronized, kSignalDetected,
                       kMicroInterruption, kAgcConverged, kTimingConverged, kAdcSaturation})
            all.push_back(checked(*vdsl_, id) ? "x" : ".");
        return all;
    }
    // The title, the side buttons and the unit the console addresses, as in
    // "Quillon Configurator  [link DOWN]: Local, Remote disabled, on P".
    std::string sides(const platform::DialogPage& page) const {
        return sheet_->windowTitle().toStdString() + ":" + (checked(page, kLocal) ? " Local" : "") +
               (checked(page, kRemote) ? " Remote" : "") +
               (page.controls().widget(kRemote)->isEnabled() ? "" : ", Remote disabled,") + " on " +
               sim::sideLetter(pair_->addressedUnit());
    }
    // Puts a run's journal in force for the rest of the test.
    void startJournal() {
        journalParent_.emplace();
        journal_.emplace(journalParent_->path().string(), platform::wallTimeMs());
        platform::seams().journal = &*journal_;
    }
    std::string journalFile(const char* name) {
        journal_->flush();
        return testsupport::readFile(std::filesystem::path(journal_->folder()) / name);
    }
    // A register the unit computes reads as value on that unit from now on.
    void fix(Side side, std::uint16_t addr, std::uint32_t value) {
        ASSERT_TRUE(pair_->fixRegister(side, addr, value)) << std::hex << addr;
    }

    std::unique_ptr<QDialog> sheet_ = std::make_unique<testsupport::TestSheet>();
    QTabWidget* tabs_ = new QTabWidget(sheet_.get());
    CStatus* vdsl_ = new CStatus;
    CEnetStatus* enet_ = new CEnetStatus;
    bool failTimers_ = false;                                      // timer starts fail while set
    std::set<std::pair<platform::WindowHandle, unsigned>> timers_; // alive, by window and id
    Lines events_; // in order: "set vdsl 64 4000", "kill enet 64", "box <caption>: <text>"
    std::optional<testsupport::WorkFolder> journalParent_;
    std::optional<platform::Journal> journal_;
};

} // namespace monitortest
