#pragma once

#include <array>
#include <cstdint>

// Addresses and values of the unit registers that the console exposes. Every other address is
// plain memory: it reads back what was last written to it (0 at power-up).
namespace sim::reg {

inline constexpr std::uint16_t kControl = 0x8c00; // or-bits below start an action; reads 0
inline constexpr std::uint8_t kStartRates = 0x04;
inline constexpr std::uint8_t kSaveEeprom = 0x08;
inline constexpr std::uint8_t kRestart = 0x20;

inline constexpr std::uint16_t kRateConfigFirst = 0x8c10; // 8c10..8c15, see RateSet
inline constexpr int kRateConfigCount = 6;

inline constexpr std::uint16_t kDownCodeInUse = 0x8c40;
inline constexpr std::uint16_t kUpCodeInUse = 0x8c41;
inline constexpr std::uint16_t kGainStep = 0x8c67;
inline constexpr std::uint16_t kIdentity = 0x8c70;
inline constexpr std::uint8_t kIdentityP = 0x02;
inline constexpr std::uint8_t kIdentityS = 0x12; // bit 0x10: S-side unit
inline constexpr std::uint16_t kLinkBits = 0x8c71;
inline constexpr std::uint8_t kLinkFullConstellation = 0x80;
inline constexpr std::uint8_t kLinkTcSync = 0x20;
inline constexpr std::uint8_t kLinkEthernetSync = 0x08;
inline constexpr std::uint8_t kLinkRemoteSync = 0x04;
inline constexpr std::uint8_t kLinkSignalDetected = 0x02;
inline constexpr std::uint16_t kCorrectedErrors = 0x8c91; // 4 bytes, clear on read
inline constexpr std::uint16_t kReceiverBits = 0x8c98;
inline constexpr std::uint8_t kMicroInterruption = 0x80; // cleared by reading 8c98
inline constexpr std::uint8_t kAgcConverged = 0x04;
inline constexpr std::uint8_t kTimingConverged = 0x02;
inline constexpr std::uint8_t kAdcSaturation = 0x01;
inline constexpr std::uint16_t kSnrValue = 0x8c99;      // 3 bytes
inline constexpr std::uint16_t kTransmitPower = 0x8c9c; // 2 bytes
inline constexpr std::uint16_t kUnlock = 0x8d00;        // written: unlock latch of c255
inline constexpr std::uint8_t kUnlockValue = 0xa6;
inline constexpr std::uint16_t kLinkFailCounter = 0x8d38;
inline constexpr std::uint16_t kTimeoutLow = 0x8d3a; // link watchdog time, tens of ms
inline constexpr std::uint16_t kTimeoutHigh = 0x8d3b;
inline constexpr std::uint16_t kMode = 0xc255;
inline constexpr std::uint8_t kModeInstall = 0x01;
inline constexpr std::uint8_t kModeNormal = 0x05;

// The fifteen 4-byte Ethernet counters, each cleared when read.
inline constexpr int kEthernetCounterCount = 15;
inline constexpr std::array<std::uint16_t, kEthernetCounterCount> kEthernetCounters{
    0x8ce4, // single collisions
    0x8ce8, // multiple collisions
    0x8cf0, // late collisions
    0x8cf4, // excessive collisions
    0x8cf8, // receive errors
    0x8cfc, // carrier sense errors
    0x8d00, // frame too long errors (same address as the unlock latch, which is write-only)
    0x8d04, // frame check sequence errors
    0x8d08, // received octets
    0x8d0c, // transmitted octets
    0x8d10, // received broadcast frames
    0x8d14, // received pause frames
    0x8d18, // transmitted pause frames
    0x8d1c, // transmitted frames
    0x8d20, // received frames
};

} // namespace sim::reg
