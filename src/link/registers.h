#pragma once

// The unit's registers as the console names them, and the fixed commands sent to them.
// A register token goes out with exactly the letters written here: the console shows what it
// receives, and the trace must hold what the program sent, so a register that is written in
// both cases has one constant per case.

// --- Unit identity and link state ---
// Bit kUnitTypeSSide set: the addressed unit is an S-side unit.
inline constexpr char kRegUnitType[] = "8c70";
inline constexpr unsigned kUnitTypeSSide = 0x10;
// Link state bits: kRegLinkState for the link check, kRegLinkStateIndicators for the status pages.
inline constexpr char kRegLinkState[] = "8c71";
inline constexpr char kRegLinkStateIndicators[] = "8C71";
inline constexpr unsigned kLinkUp = 0x80; // "Full Constellation Link"
inline constexpr unsigned kLinkReducedConstellation = 0x40;
inline constexpr unsigned kLinkTcSynchronized = 0x20;
inline constexpr unsigned kLinkEthernetEncapsulationSync = 0x08;
inline constexpr unsigned kLinkRemoteInterfaceSynchronized = 0x04;
inline constexpr unsigned kLinkSignalDetected = 0x02;

// --- Line measurements (read only) ---
inline constexpr char kRegDownstreamRate[] = "8c40";
inline constexpr char kRegUpstreamRate[] = "8c41";
// Bits 2..0 select the gain step of the transmitted power.
inline constexpr char kRegGainStep[] = "8C67";
// Corrected Reed-Solomon errors, 4 bytes, counted since the last read.
inline constexpr char kRegCorrectedErrors[] = "8C91";
inline constexpr int kCorrectedErrorsWidth = 4;
inline constexpr char kRegReceiverState[] = "8C98";
inline constexpr unsigned kReceiverMicroInterruption = 0x80;
inline constexpr unsigned kReceiverAgcConverged = 0x04;
inline constexpr unsigned kReceiverTimingConverged = 0x02;
inline constexpr unsigned kReceiverAdcSaturation = 0x01;
// The value v of the signal/noise ratio and mean square error, 3 bytes: kRegNoise for the
// status page, kRegNoiseCheck for the search's signal/noise check.
inline constexpr char kRegNoise[] = "8C99";
inline constexpr char kRegNoiseCheck[] = "8c99";
inline constexpr int kNoiseWidth = 3;
// The value w of the transmitted power, 2 bytes.
inline constexpr char kRegTransmitLevel[] = "8C9C";
inline constexpr int kTransmitLevelWidth = 2;
inline constexpr char kRegLinkFailCounter[] = "8D38";

// --- Rate configuration (written only, one byte each) ---
inline constexpr char kRegDownstreamRateCode[] = "8c10";
inline constexpr char kRegUpstreamRateCode[] = "8c11";
inline constexpr char kRegDownstreamTuningLow[] = "8c12";
inline constexpr char kRegDownstreamTuningHigh[] = "8c13";
inline constexpr char kRegUpstreamTuningLow[] = "8c14";
inline constexpr char kRegUpstreamTuningHigh[] = "8c15";

// The default rates, in the order they are written. Codes 54 and 68 run at 3.7917 and
// 1.4219 Mbit/s.
inline constexpr const char* kDefaultRateCommands[] = {
    "wr 8c10 54\n", "wr 8c11 68\n", "wr 8c12 4b\n", "wr 8c13 00\n", "wr 8c14 b7\n", "wr 8c15 00\n",
};

// --- Control (bits of 8c00, set with "or"; 8c00 is never read) ---
inline constexpr char kCmdStartRates[] = "or 8c00 04\n";
inline constexpr char kCmdSaveToEeprom[] = "or 8c00 08\n";
inline constexpr char kCmdRestart[] = "or 8c00 20\n";

// --- Mode of the S-side unit ---
// c255 holds 1 in Install mode; every write of it is wrapped in the unlock and lock of 8d00.
inline constexpr char kRegMode[] = "c255";
inline constexpr unsigned kModeInstall = 0x01;
inline constexpr char kCmdUnlockMode[] = "wr 8d00 a6\n";
inline constexpr char kCmdSetInstallMode[] = "wr c255 01\n";
inline constexpr char kCmdSetNormalMode[] = "wr c255 05\n";
inline constexpr char kCmdLockMode[] = "wr 8d00 00\n";
// The two bytes of the timeout parameter, read for the trace before Install mode is set.
inline constexpr char kRegTimeoutLow[] = "8d3a";
inline constexpr char kRegTimeoutHigh[] = "8d3b";
inline constexpr char kCmdSetTimeoutHigh[] = "or 8d3b 0b\n";
inline constexpr char kCmdSetTimeoutLow[] = "or 8d3a b8\n";

// --- Ethernet counters: 4 bytes each, counted since the last read ---
inline constexpr int kEthernetCounterWidth = 4;
// By address. The word at 8CEC is not read. 8D00 is the same address as the unlock register
// 8d00 of the mode byte: four bytes are read there, one byte is written.
inline constexpr char kRegSingleCollisions[] = "8CE4";
inline constexpr char kRegMultipleCollisions[] = "8CE8";
inline constexpr char kRegLateCollisions[] = "8CF0";
inline constexpr char kRegExcessiveCollisions[] = "8CF4";
inline constexpr char kRegReceiveErrors[] = "8CF8";
inline constexpr char kRegCarrierSenseErrors[] = "8CFC";
inline constexpr char kRegFrameTooLongErrors[] = "8D00";
inline constexpr char kRegFcsErrors[] = "8D04";
inline constexpr char kRegRxOctets[] = "8D08";
inline constexpr char kRegTxOctets[] = "8D0C";
inline constexpr char kRegRxBroadcastFrames[] = "8D10";
inline constexpr char kRegRxPauseFrames[] = "8D14";
inline constexpr char kRegTxPauseFrames[] = "8D18";
inline constexpr char kRegTxFrames[] = "8D1C";
inline constexpr char kRegRxFrames[] = "8D20";
