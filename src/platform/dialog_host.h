#pragma once

#include "platform/dialog_builder.h"

#include <QDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QWidget>
#include <type_traits>

namespace platform {

// A window built from a dialog template: a dialog (DialogWindow) or a page of the main sheet
// (DialogPage). Its controls are reached by id, and initialize() runs once, when the window is
// first shown, after the controls exist and before anything is painted.
//
// In a dialog, button kIdOk gives the OK command (OnOK, which ends the dialog unless
// overridden) and button kIdCancel the Cancel command (reject); Escape and the close box cancel
// too.
template <class Base>
class DialogHost : public Base {
public:
    explicit DialogHost(QWidget* parent = nullptr) : Base(parent) {}

    template <class T>
    T* control(int id) const {
        return controls_.control<T>(id);
    }
    const DialogControls& controls() const { return controls_; }

    // Runs the initialisation now if it has not run yet.
    void ensureInitialized() {
        if (initialized_)
            return;
        initialized_ = true;
        if constexpr (std::is_base_of_v<QDialog, Base>)
            connectCommandButtons();
        initialize();
    }

protected:
    virtual void initialize() {}
    // The OK command: button kIdOk, or Enter on a default button kIdOk.
    virtual void OnOK() {
        if constexpr (std::is_base_of_v<QDialog, Base>)
            this->accept();
    }

    void showEvent(QShowEvent* event) override {
        ensureInitialized();
        Base::showEvent(event);
    }

    DialogControls controls_;

private:
    void connectCommandButtons() {
        if (auto* ok = controls_.control<QPushButton>(kIdOk))
            QObject::connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
        if (auto* cancel = controls_.control<QPushButton>(kIdCancel))
            QObject::connect(cancel, &QPushButton::clicked, this, [this] { this->reject(); });
    }

    bool initialized_ = false;
};

using DialogWindow = DialogHost<QDialog>;
using DialogPage = DialogHost<QWidget>;

} // namespace platform
