#pragma once

#include "faults.h"
#include "line_model.h"
#include "output_queue.h"
#include "platform/clock.h"
#include "rate_set.h"
#include "side.h"
#include "unit.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A command as the attached unit's console received it: the unit it went to (the local unit for
// the switch byte and for commands it refused), the line without its line feed and with control
// bytes written as <hh> (the switch byte is "<05>"), and when its last byte arrived.
struct LoggedCommand {
    Side unit;
    std::string text;
    std::int64_t atMs;
};

struct PairOptions {
    Side attached = Side::P;
    // Time of one character on the console line, either way (10 bits at 9600 baud); 0 makes
    // bytes cross at once.
    std::int64_t charNs = 1'041'667;
    // How long a restarting unit stays silent before it prompts again.
    // Longer than the program's normal read time-out, shorter than its long one.
    std::int64_t bootMs = 6000;
    // Mode byte c255 of the S unit at power-up (Normal: LWD disabled).
    std::uint8_t sMode = 0x05;
};

// Two units joined by a copper pair, one of them cabled to the PC. Time is the given clock's,
// read lazily: whenever the pair is touched it first catches up with the clock, so a long sleep
// of the program costs nothing. Console input and output carry nanosecond times so that
// character times add up exactly.
class UnitPair {
public:
    explicit UnitPair(platform::Clock& clock, LineConfig line = {}, PairOptions options = {});

    // --- The console, as the serial port sees it ---
    // A byte the PC started to send at sentNs. It crosses the line in one character time, after
    // the bytes sent before it, and the unit acts on it when it has fully arrived.
    void receive(std::uint8_t byte, std::int64_t sentNs);
    // The next byte the unit sends if it arrives by limitNs: the pair moves to its arrival
    // time. Otherwise the pair moves to limitNs and there is none.
    std::optional<std::uint8_t> takeOutput(std::int64_t limitNs);
    // When something next happens (a byte arrives or the state changes by itself).
    std::optional<std::int64_t> nextWakeNs();
    // The PC purges its input: bytes that have arrived are dropped, bytes on the way are not.
    void purgeArrivedOutput();
    std::int64_t nowNs();
    // The time the pair has reached, without catching up with the clock: after takeOutput gave
    // a byte, the time that byte arrived.
    std::int64_t reachedNs() const { return nowNs_; }

    // --- Inspection and control ---
    void setAttached(Side side);
    Side attached() const { return attached_; }
    // The unit the attached console addresses (it notices a lost remote at its next command).
    Side addressedUnit() const;
    const std::vector<LoggedCommand>& commandLog() const { return log_; }
    void clearCommandLog() { log_.clear(); }
    // Called for each command when its last byte arrives, before the unit acts on it.
    void onCommand(std::function<void(const LoggedCommand&)> hook) { hook_ = std::move(hook); }

    // A register as a one-byte read would show it, without the read's side effects.
    std::uint8_t reg(Side side, std::uint16_t addr);
    // Stores a byte directly, bypassing the c255 lock (persistent settings go to EEPROM too).
    void setReg(Side side, std::uint16_t addr, std::uint8_t value);
    std::uint8_t eeprom(Side side, std::uint16_t addr);
    // A register the unit computes (link bits, readings, counters; addr is its first byte) reads
    // as value until released with nullopt, and reading it clears nothing. The link itself is
    // not affected. Returns false for an address that is plain memory (use setReg).
    bool fixRegister(Side side, std::uint16_t addr, std::optional<std::uint32_t> value);
    RateSet runningRates(Side side);
    bool linkUp();
    bool linkTraining();
    std::uint8_t mode(Side side);
    int restartCount(Side side) const;
    bool booting(Side side);
    Faults& faults() { return faults_; }
    const LineModel& lineModel() const { return line_; }

    // Restarts a unit as "or 8c00 20" does.
    void restart(Side side);
    // The line is cut now and comes back backAfterMs later (never by itself when negative).
    void dropLink(std::int64_t backAfterMs);
    void restoreLine();

private:
    enum class Phase { Down, Training, Up };
    struct Console {
        bool remote = false;
        std::string line;
        bool lastWasCr = false;
    };

    Unit& unit(Side side) { return side == Side::P ? p_ : s_; }
    const Unit& unit(Side side) const { return side == Side::P ? p_ : s_; }
    Console& console() { return consoles_[static_cast<std::size_t>(attached_)]; }

    void sync();
    void advanceTo(std::int64_t ns);
    std::optional<std::int64_t> nextEventNs() const;
    void applyEventsAt(std::int64_t ns);
    void accumulate(std::int64_t fromNs, std::int64_t toNs);
    LineView view(Side side) const;
    bool canTrain() const;
    void reevaluateLink(std::int64_t ns);
    void interruptLink(bool microInterruption);
    void updateWatchdog(std::int64_t ns);
    bool remoteReachable() const;

    void handleSwitch(std::int64_t ns);
    void handleLine(std::uint8_t terminator, std::int64_t ns);
    bool logCommand(Side target, const std::string& text, std::int64_t ns);
    std::optional<std::string> execute(const std::string& line, std::int64_t ns);
    std::string executeOn(Side target, const std::string& line, std::int64_t ns, bool& silenced);
    std::string performActions(Side target, std::uint8_t actions, std::int64_t ns, bool& silenced);
    void restartAt(Side side, std::int64_t ns);
    void echo(std::uint8_t byte, std::int64_t ns);
    void sendReply(std::string text, std::int64_t ns);
    std::string garbageText();

    platform::Clock& clock_;
    LineModel line_;
    PairOptions options_;
    Unit p_;
    Unit s_;
    Side attached_;
    std::array<Console, 2> consoles_;
    std::array<std::optional<std::int64_t>, 2> bootEndNs_;
    OutputQueue output_;
    std::int64_t nowNs_;
    // When the line from the PC is free again: the last byte received has fully arrived.
    std::int64_t inputFreeNs_ = INT64_MIN;

    Phase phase_ = Phase::Down;
    std::int64_t trainEndNs_ = 0;
    LinkQuality quality_;
    bool lineCut_ = false;
    std::optional<std::int64_t> lineBackNs_;
    std::optional<std::int64_t> watchdogNs_;

    Faults faults_;
    std::uint64_t noise_;
    std::vector<LoggedCommand> log_;
    std::function<void(const LoggedCommand&)> hook_;
};

} // namespace sim
