#include "unit.h"

#include "rate_code.h"
#include "register_map.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr std::uint32_t kNoSignalValue = 0xFFFFFF; // 8c99 with nothing received: lowest SNR
constexpr double kReadNoiseDb = 0.2;               // spread of successive 8c99 readings
constexpr double kTransmitTargetP = -1.0;          // transmit power readings, docs/simulator.md
constexpr double kTransmitTargetS = 2.5;
constexpr std::uint8_t kGainStepP = 0x40; // bits 2..0: gain step 0 (0 dB)
constexpr std::uint8_t kGainStepS = 0x42; // bits 2..0: gain step 2 (-2 dB)

std::uint32_t capped(double count) {
    if (count >= 4294967295.0)
        return 0xFFFFFFFFU;
    return static_cast<std::uint32_t>(std::floor(count));
}

std::uint32_t clampedValue(double value, std::uint32_t maximum) {
    const double rounded = std::round(value);
    if (!(rounded >= 1.0))
        return 1;
    if (rounded >= maximum)
        return maximum;
    return static_cast<std::uint32_t>(rounded);
}

int ethernetIndex(std::uint16_t addr) {
    const auto& counters = reg::kEthernetCounters;
    const auto it = std::find(counters.begin(), counters.end(), addr);
    return it == counters.end() ? -1 : static_cast<int>(it - counters.begin());
}

} // namespace

Unit::Unit(Side side, std::uint64_t seed)
    : side_(side), ram_(0x10000, 0),
      readNoise_(mixSeed(seed, 10 + static_cast<std::uint64_t>(side))) {
    for (int i = 0; i < reg::kRateConfigCount; ++i)
        eeprom_[static_cast<std::uint16_t>(reg::kRateConfigFirst + i)] =
            kDefaultRates.bytes[static_cast<std::size_t>(i)];
    eeprom_[reg::kMode] = reg::kModeNormal;
    eeprom_[reg::kTimeoutHigh] = 0x0b; // 0x0bb8: 30 s
    eeprom_[reg::kTimeoutLow] = 0xb8;
    loadFromEeprom();

    // Traffic on the unit's Ethernet port while the link is up: P takes in what goes downstream,
    // S what goes upstream, so one unit's received frames are the other's transmitted frames.
    const bool p = side == Side::P;
    const double down = 120.0 * (0.8 + 0.4 * unitInterval(mixSeed(seed, 20)));
    const double up = 80.0 * (0.8 + 0.4 * unitInterval(mixSeed(seed, 21)));
    const double rxFps = p ? down : up;
    const double txFps = p ? up : down;
    const double rxSize = 300.0 + 600.0 * unitInterval(mixSeed(seed, 22, p ? 1 : 2));
    const double txSize = 300.0 + 600.0 * unitInterval(mixSeed(seed, 23, p ? 1 : 2));
    auto& rate = traffic_.perSecond;
    rate[0] = p ? 0.0 : 0.2;    // single collisions: the subscriber side has a shared segment
    rate[1] = p ? 0.0 : 0.05;   // multiple collisions
    rate[6] = 0.01;             // frame too long
    rate[8] = rxFps * rxSize;   // received octets
    rate[9] = txFps * txSize;   // transmitted octets
    rate[10] = rxFps * 0.04;    // received broadcast frames
    rate[11] = 0.05;            // received pause frames
    rate[12] = 0.02;            // transmitted pause frames
    rate[13] = txFps;           // transmitted frames
    rate[14] = rxFps;           // received frames
    traffic_.errorShare = 0.01; // receive and FCS errors per corrected line error
}

void Unit::beginRestart() {
    booting_ = true;
    ++restarts_;
}

void Unit::finishBoot() {
    std::fill(ram_.begin(), ram_.end(), 0);
    loadFromEeprom();
    booting_ = false;
    linkFails_ = 0;
    microInterruption_ = false;
    corrected_ = 0.0;
    ethernet_.fill(0.0);
}

void Unit::loadFromEeprom() {
    for (const auto& [addr, value] : eeprom_)
        ram_[addr] = value;
    unlockLatch_ = 0;
    startConfiguredRates();
}

void Unit::startConfiguredRates() {
    for (std::size_t i = 0; i < running_.bytes.size(); ++i)
        running_.bytes[i] = ram_[reg::kRateConfigFirst + i];
}

void Unit::revertToDefaultRates() {
    for (std::size_t i = 0; i < kDefaultRates.bytes.size(); ++i)
        ram_[reg::kRateConfigFirst + i] = kDefaultRates.bytes[i];
    startConfiguredRates();
}

void Unit::saveRatesToEeprom() {
    for (int i = 0; i < reg::kRateConfigCount; ++i) {
        const auto addr = static_cast<std::uint16_t>(reg::kRateConfigFirst + i);
        eeprom_[addr] = ram_[addr];
    }
}

std::int64_t Unit::watchdogMs() const {
    return ((std::int64_t{ram_[reg::kTimeoutHigh]} << 8) | ram_[reg::kTimeoutLow]) * 10;
}

const Unit::Field* Unit::fieldAt(std::uint16_t addr) {
    static const std::vector<Field> fields = [] {
        std::vector<Field> all{
            {reg::kControl, 1},         {reg::kDownCodeInUse, 1},  {reg::kUpCodeInUse, 1},
            {reg::kGainStep, 1},        {reg::kIdentity, 1},       {reg::kLinkBits, 1},
            {reg::kCorrectedErrors, 4}, {reg::kReceiverBits, 1},   {reg::kSnrValue, 3},
            {reg::kTransmitPower, 2},   {reg::kLinkFailCounter, 1}};
        for (std::uint16_t counter : reg::kEthernetCounters)
            all.push_back({counter, 4});
        return all;
    }();
    for (const Field& field : fields)
        if (addr >= field.base && addr < field.base + field.width)
            return &field;
    return nullptr;
}

std::uint8_t Unit::linkBits(const LineView& view) const {
    if (view.linkUp)
        return reg::kLinkFullConstellation | reg::kLinkTcSync | reg::kLinkEthernetSync |
               reg::kLinkRemoteSync | reg::kLinkSignalDetected;
    return view.signalDetected ? reg::kLinkSignalDetected : 0;
}

std::uint8_t Unit::receiverBits(const LineView& view) const {
    std::uint8_t bits = 0;
    if (view.linkUp)
        bits |= reg::kAgcConverged | reg::kTimingConverged;
    else if (view.training)
        bits |= reg::kAgcConverged;
    if (view.adcSaturated && view.signalDetected)
        bits |= reg::kAdcSaturation;
    if (microInterruption_)
        bits |= reg::kMicroInterruption;
    return bits;
}

// The receiver's error power v, from which the console's reader computes
// SNR = reference(k) - 10 log10(v) with k the constellation the unit receives.
std::uint32_t Unit::snrValue(const LineView& view) const {
    if (!view.linkUp)
        return kNoSignalValue;
    const std::uint8_t code = side_ == Side::P ? running_.upCode() : running_.downCode();
    const double exponent = (snrReferenceDb(code) - view.received.snrDb) / 10.0;
    return clampedValue(std::pow(10.0, exponent), kNoSignalValue);
}

// The transmitter's amplitude w, chosen so that the reading decoded with the code the status
// display uses for this unit (P: 8c41, S: 8c40) gives the unit's transmit power target.
std::uint32_t Unit::transmitPowerValue() const {
    const bool p = side_ == Side::P;
    const std::uint8_t code = p ? running_.upCode() : running_.downCode();
    const double gainDb = p ? 0.0 : -2.0;
    const double target = p ? kTransmitTargetP : kTransmitTargetS;
    const double bandDb = 10.0 * std::log10(30000000.0 / symbolRateDivisor(code));
    const double amplitudeDb = target - gainDb - powerOffsetDb(code) + bandDb;
    return clampedValue(std::pow(10.0, amplitudeDb / 20.0), 0xFFFF);
}

std::uint32_t Unit::fieldValue(std::uint16_t base, const LineView& view) const {
    if (const auto fixed = fixed_.find(base); fixed != fixed_.end())
        return fixed->second;
    switch (base) {
    case reg::kControl:
        return 0;
    case reg::kDownCodeInUse:
        return running_.downCode();
    case reg::kUpCodeInUse:
        return running_.upCode();
    case reg::kGainStep:
        return side_ == Side::P ? kGainStepP : kGainStepS;
    case reg::kIdentity:
        return side_ == Side::P ? reg::kIdentityP : reg::kIdentityS;
    case reg::kLinkBits:
        return linkBits(view);
    case reg::kCorrectedErrors:
        return capped(corrected_);
    case reg::kReceiverBits:
        return receiverBits(view);
    case reg::kSnrValue:
        return snrValue(view);
    case reg::kTransmitPower:
        return transmitPowerValue();
    case reg::kLinkFailCounter:
        return linkFails_;
    default:
        break;
    }
    const int counter = ethernetIndex(base);
    return counter < 0 ? 0 : capped(ethernet_[static_cast<std::size_t>(counter)]);
}

std::uint32_t Unit::takeFieldValue(std::uint16_t base, const LineView& view) {
    const std::uint32_t value = fieldValue(base, view);
    if (fixed_.count(base) != 0) {
        return value;
    } else if (base == reg::kCorrectedErrors) {
        corrected_ -= value;
    } else if (base == reg::kReceiverBits) {
        microInterruption_ = false;
    } else if (base == reg::kSnrValue && view.linkUp) {
        readNoise_ = mixSeed(readNoise_, 1);
        const double noiseDb = (unitInterval(readNoise_) * 2.0 - 1.0) * kReadNoiseDb;
        return clampedValue(value * std::pow(10.0, noiseDb / 10.0), kNoSignalValue);
    } else if (const int counter = ethernetIndex(base); counter >= 0) {
        ethernet_[static_cast<std::size_t>(counter)] -= value;
    }
    return value;
}

std::vector<std::uint8_t> Unit::read(std::uint16_t addr, int count, const LineView& view) {
    std::vector<std::uint8_t> bytes;
    std::map<std::uint16_t, std::uint32_t> values; // one snapshot per register in this read
    const int end = addr + count;
    for (int a = addr; a < end; ++a) {
        const auto at = static_cast<std::uint16_t>(a);
        const Field* field = fieldAt(at);
        if (field == nullptr) {
            bytes.push_back(ram_[at]);
            continue;
        }
        auto found = values.find(field->base);
        if (found == values.end()) {
            // A clear-on-read register is taken only when its first byte is read.
            const bool whole = field->base >= addr && field->base < end;
            const std::uint32_t value =
                whole ? takeFieldValue(field->base, view) : fieldValue(field->base, view);
            found = values.emplace(field->base, value).first;
        }
        bytes.push_back(static_cast<std::uint8_t>(found->second >> (8 * (at - field->base))));
    }
    return bytes;
}

std::uint8_t Unit::peek(std::uint16_t addr, const LineView& view) const {
    const Field* field = fieldAt(addr);
    if (field == nullptr)
        return ram_[addr];
    return static_cast<std::uint8_t>(fieldValue(field->base, view) >> (8 * (addr - field->base)));
}

void Unit::poke(std::uint16_t addr, std::uint8_t value) {
    if (addr == reg::kUnlock) {
        unlockLatch_ = value;
        return;
    }
    ram_[addr] = value;
    if (addr == reg::kMode || addr == reg::kTimeoutLow || addr == reg::kTimeoutHigh)
        storeEeprom(addr, value);
}

bool Unit::fixValue(std::uint16_t addr, std::optional<std::uint32_t> value) {
    const Field* field = fieldAt(addr);
    if (field == nullptr || field->base != addr)
        return false;
    if (value)
        fixed_[addr] = *value;
    else
        fixed_.erase(addr);
    return true;
}

void Unit::storeEeprom(std::uint16_t addr, std::uint8_t value) {
    eeprom_[addr] = value;
}

std::uint8_t Unit::eeprom(std::uint16_t addr) const {
    const auto found = eeprom_.find(addr);
    return found == eeprom_.end() ? 0xff : found->second;
}

WriteOutcome Unit::write(std::uint16_t addr, std::uint8_t value, bool orMask) {
    auto merged = [&](std::uint8_t old) {
        return static_cast<std::uint8_t>(orMask ? (old | value) : value);
    };
    switch (addr) {
    case reg::kControl:
        return {true, nullptr, value};
    case reg::kUnlock:
        unlockLatch_ = merged(unlockLatch_);
        return {};
    case reg::kMode:
        if (unlockLatch_ != reg::kUnlockValue)
            return {false, "c255 locked", 0};
        ram_[addr] = merged(ram_[addr]);
        storeEeprom(addr, ram_[addr]);
        return {};
    case reg::kTimeoutLow:
    case reg::kTimeoutHigh:
        ram_[addr] = merged(ram_[addr]);
        storeEeprom(addr, ram_[addr]);
        return {};
    default:
        break;
    }
    if (fieldAt(addr) != nullptr)
        return {false, "read only", 0};
    ram_[addr] = merged(ram_[addr]);
    return {};
}

void Unit::accumulate(double seconds, const LineView& view) {
    if (!view.linkUp || seconds <= 0.0)
        return;
    const double corrected = view.received.correctedPerSecond * seconds;
    corrected_ += corrected;
    for (std::size_t i = 0; i < ethernet_.size(); ++i)
        ethernet_[i] += traffic_.perSecond[i] * seconds;
    ethernet_[4] += corrected * traffic_.errorShare; // receive errors
    ethernet_[7] += corrected * traffic_.errorShare; // frame check sequence errors
}

void Unit::noteLinkDrop(bool microInterruption) {
    if (linkFails_ < 0xff)
        ++linkFails_;
    if (microInterruption)
        microInterruption_ = true;
}

} // namespace sim
