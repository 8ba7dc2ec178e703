#include "status_sheet.h"

#include "platform/message_box.h"
#include "platform/process_exit.h"
#include "platform/window_timers.h"

#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace monitortest {

void StatusSheet::SetUp() {
    SimFixture::SetUp();
    buildSheet();
    recordTimersAndBoxes();
}

void StatusSheet::buildSheet() {
    sheet_ = std::make_unique<QDialog>();
    sheet_->setWindowTitle(QStringLiteral("Quillon Configurator"));
    tabs_ = new QTabWidget(sheet_.get());
    (new QVBoxLayout(sheet_.get()))->addWidget(tabs_);
    vdsl_ = new CStatus;
    enet_ = new CEnetStatus;
    tabs_->addTab(new QWidget, QStringLiteral("Configuration"));
    tabs_->addTab(vdsl_, vdsl_->windowTitle());
    tabs_->addTab(enet_, enet_->windowTitle());
    platform::setMainWindow(sheet_.get()); // as start-up designates the main sheet
}

void StatusSheet::recordTimersAndBoxes() {
    platform::setWindowTimerBackend(
        {[this](platform::WindowHandle window, unsigned id, unsigned periodMs) -> unsigned {
             events_.push_back("set " + nameOf(window) + " " + std::to_string(id) + " " +
                               std::to_string(periodMs));
             if (failTimers_)
                 return 0;
             timers_.insert({window, id});
             return id;
         },
         [this](platform::WindowHandle window, unsigned id) {
             events_.push_back("kill " + nameOf(window) + " " + std::to_string(id));
             return timers_.erase({window, id}) == 1;
         }});
    platform::setMessageBoxHandler(
        [this](platform::WindowHandle owner, const std::string& text, const std::string& caption) {
            boxes_.push_back({owner, text, caption});
            events_.push_back("box " + caption + ": " + text);
        });
}

void StatusSheet::TearDown() {
    destroySheet();
    SimFixture::TearDown();
}

void StatusSheet::showTab(int index) {
    if (!sheet_->isVisible())
        sheet_->show();
    tabs_->setCurrentIndex(index);
}

void StatusSheet::closeSheet() {
    sheet_->hide();
}

void StatusSheet::destroySheet() {
    sheet_.reset();
    vdsl_ = nullptr;
    enet_ = nullptr;
}

std::vector<std::string> StatusSheet::commands() const {
    std::vector<std::string> texts;
    for (const sim::LoggedCommand& command : pair_->commandLog())
        texts.push_back(command.text);
    return texts;
}

QString StatusSheet::text(const platform::DialogPage& page, int id) const {
    return page.control<QLineEdit>(id)->text();
}

bool StatusSheet::checked(const platform::DialogPage& page, int id) const {
    return page.control<QAbstractButton>(id)->isChecked();
}

bool StatusSheet::enabled(const platform::DialogPage& page, int id) const {
    return page.controls().widget(id)->isEnabled();
}

void StatusSheet::click(const platform::DialogPage& page, int id) {
    page.control<QAbstractButton>(id)->click();
}

QString StatusSheet::title() const {
    return sheet_->windowTitle();
}

int StatusSheet::exitStatusOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::ProcessExit& exit) {
        return exit.status;
    }
    ADD_FAILURE() << "the process did not end";
    return -1;
}

void StatusSheet::fix(sim::Side side, std::uint16_t addr, std::uint32_t value) {
    ASSERT_TRUE(pair_->fixRegister(side, addr, value)) << std::hex << addr;
}

std::string StatusSheet::nameOf(platform::WindowHandle window) const {
    if (window == vdsl_)
        return "vdsl";
    if (window == enet_)
        return "enet";
    return "other";
}

} // namespace monitortest
