#pragma once

#include "line_model.h"
#include "rate_set.h"
#include "side.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace sim {

// What the pair tells a unit about its line when a register is read or time passes.
struct LineView {
    bool linkUp = false;
    bool training = false;
    bool signalDetected = false;
    bool adcSaturated = false;
    DirectionQuality received; // the direction this unit receives (P: upstream, S: downstream)
};

// How a write to a register went: whether it was taken, a notice for the console, and the
// control bits of 8c00 that the pair must act on (start rates, restart).
struct WriteOutcome {
    bool accepted = true;
    const char* notice = nullptr;
    std::uint8_t actions = 0;
};

// One unit: its registers, EEPROM, the rates it runs, its counters. Time and the link belong to
// the pair, which tells the unit what it needs through LineView.
class Unit {
public:
    Unit(Side side, std::uint64_t seed);

    Side side() const { return side_; }

    // --- Power and configuration ---
    // Starts a restart: the unit ignores its console until finishBoot.
    void beginRestart();
    // Ends the restart: RAM registers cleared, rates and settings reloaded from EEPROM.
    void finishBoot();
    bool booting() const { return booting_; }
    int restartCount() const { return restarts_; }
    const RateSet& running() const { return running_; }
    void startConfiguredRates();
    void revertToDefaultRates();
    void saveRatesToEeprom();
    std::uint8_t mode() const { return ram_[kModeIndex]; }
    bool installMode() const { return mode() == 0x01; } // LWD enabled
    // The link watchdog time in milliseconds (8d3b:8d3a counts tens of milliseconds).
    std::int64_t watchdogMs() const;

    // --- Register access as the console does it ---
    // Reads count bytes from addr; clear-on-read registers whose first byte is in the range are
    // cleared.
    std::vector<std::uint8_t> read(std::uint16_t addr, int count, const LineView& view);
    WriteOutcome write(std::uint16_t addr, std::uint8_t value, bool orMask);

    // --- Inspection and control for tests (no side effects, no lock) ---
    std::uint8_t peek(std::uint16_t addr, const LineView& view) const;
    void poke(std::uint16_t addr, std::uint8_t value);
    // EEPROM content, 0xff where nothing is stored.
    std::uint8_t eeprom(std::uint16_t addr) const;
    // A register the unit computes (addr is its first byte) reads as value, and reading it
    // clears nothing, until released with nullopt. Returns false for plain memory.
    bool fixValue(std::uint16_t addr, std::optional<std::uint32_t> value);

    // --- Time passing on the line ---
    void accumulate(double seconds, const LineView& view);
    void noteLinkDrop(bool microInterruption);

private:
    static constexpr std::size_t kModeIndex = 0xc255;

    struct Field {
        std::uint16_t base;
        int width;
    };
    struct Traffic {
        std::array<double, 15> perSecond{};
        double errorShare = 0.0; // counter increments per corrected error (receive, FCS errors)
    };

    std::uint32_t fieldValue(std::uint16_t base, const LineView& view) const;
    std::uint32_t takeFieldValue(std::uint16_t base, const LineView& view);
    static const Field* fieldAt(std::uint16_t addr);
    std::uint32_t snrValue(const LineView& view) const;
    std::uint32_t transmitPowerValue() const;
    std::uint8_t linkBits(const LineView& view) const;
    std::uint8_t receiverBits(const LineView& view) const;
    void storeEeprom(std::uint16_t addr, std::uint8_t value);
    void loadFromEeprom();

    Side side_;
    std::vector<std::uint8_t> ram_;
    std::map<std::uint16_t, std::uint8_t> eeprom_;
    RateSet running_ = kDefaultRates;
    std::uint8_t unlockLatch_ = 0;
    bool booting_ = false;
    int restarts_ = 0;
    std::uint8_t linkFails_ = 0;
    bool microInterruption_ = false;
    double corrected_ = 0.0;
    std::array<double, 15> ethernet_{};
    Traffic traffic_;
    std::uint64_t readNoise_ = 0;
    std::map<std::uint16_t, std::uint32_t> fixed_; // by field base
};

} // namespace sim
