#include "app/main_sheet.h"

#include "app/about_box.h"
#include "app/link_state_title.h"
#include "app/main_window_handle.h"
#include "res/icons.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// The sheet's buttons give the dialog's commands like a template's buttons do.
constexpr int kOkButton = platform::kIdOk;
constexpr int kCancelButton = platform::kIdCancel;
constexpr int kHelpButton = 9;
} // namespace

CMainTab::CMainTab() : tabs_(new QTabWidget(this)) {
    setWindowTitle(QStringLiteral("Quillon Configurator"));
    setFont(platform::dialogFont());
    icon = res::icon(res::kAppIcon);
    setWindowIcon(icon);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a sheet is as large as its pages
    layout->addWidget(tabs_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    layout->addLayout(buttons);
    // No Apply Now button; Help is made and hidden like OK.
    addButton(kOkButton, "OK");
    addButton(kCancelButton, "Cancel");
    addButton(kHelpButton, "Help");
    for (int id : {kOkButton, kCancelButton, kHelpButton})
        buttons->addWidget(button(id));

    for (platform::DialogPage* page : {static_cast<platform::DialogPage*>(&configPage),
                                       static_cast<platform::DialogPage*>(&vdslPage),
                                       static_cast<platform::DialogPage*>(&enetPage)})
        tabs_->addTab(page, page->windowTitle());
    tabs_->setCurrentIndex(0);
}

CMainTab::~CMainTab() {
    OnMainWindowDestroy();
}

void CMainTab::addButton(int id, const char* text) {
    auto* pushButton = new QPushButton(QString::fromUtf8(text), this);
    const platform::PixelRect size =
        platform::dluToPixels(0, 0, 50, 14, platform::baseUnitsOf(font()));
    pushButton->setFixedSize(size.width, size.height);
    controls_.add(id, pushButton);
}

void CMainTab::initialize() {
    // The start page's window is made when the sheet opens.
    configPage.ensureInitialized();
    button(kOkButton)->hide();
    button(kHelpButton)->hide();
    button(kCancelButton)->setText(QStringLiteral("Close"));
    setMainWndHandle(this);
}

void CMainTab::showLinkState(bool linkUp) {
    setWindowTitle(linkStateTitle(linkUp));
}

void CMainTab::showAboutBox(QWidget* asker) {
    ::showAboutBox(asker);
}
