#pragma once

// The ids of the controls that code reaches, one namespace per dialog template. An id is unique
// only within its template: 1010 is the status box of the Configuration page and the Save...
// button of the trace window. In a dialog, the button with id 1 gives the OK command and the one
// with id 2 the Cancel command (platform::kIdOk, platform::kIdCancel), whatever their text.
namespace res::ids {

// About box, template 100.
namespace about {
inline constexpr int kOk = 1;
} // namespace about

// Configuration page, template 129. Buttons 1 and 2 are no commands on a page: the page handles
// their clicks itself.
namespace configuration {
inline constexpr int kApply = 1;
inline constexpr int kAbout = 2;
inline constexpr int kUpActual = 1020;
inline constexpr int kUpMinList = 1002;
inline constexpr int kUpMaxList = 1003;
inline constexpr int kDownActual = 1011;
inline constexpr int kDownMinList = 1004;
inline constexpr int kDownMaxList = 1005;
inline constexpr int kStatus = 1010;
inline constexpr int kAlgorithmList = 1059;
inline constexpr int kReport = 1061;
} // namespace configuration

// The side buttons of both status pages, which their shared link check reaches on either page.
namespace status_side {
inline constexpr int kLocal = 1045;
inline constexpr int kRemote = 1046;
} // namespace status_side

// VDSL Status page, template 131 (and the side buttons above).
namespace vdsl_status {
inline constexpr int kSnr = 1009;
inline constexpr int kMse = 1010;
inline constexpr int kRsErrors = 1011;
inline constexpr int kTransmitPower = 1026; // hidden
inline constexpr int kLinkFailCounter = 1027;
// Bits of the link state.
inline constexpr int kFullConstellationLink = 1028;
inline constexpr int kReducedConstellationLink = 1029;
inline constexpr int kTcSynchronized = 1030;
inline constexpr int kEthernetEncapsulationSync = 1032;
inline constexpr int kRemoteInterfaceSynchronized = 1033;
inline constexpr int kSignalDetected = 1034;
// Bits of the receiver state.
inline constexpr int kMicroInterruption = 1035;
inline constexpr int kAgcConverged = 1036;
inline constexpr int kTimingConverged = 1037;
inline constexpr int kAdcSaturation = 1038;
inline constexpr int kHistory = 1047;
} // namespace vdsl_status

// Ethernet Status page, template 132 (and the side buttons above): a box per counter sum.
namespace ethernet_status {
inline constexpr int kTxFrames = 1042;
inline constexpr int kTxPauseFrames = 1043;
inline constexpr int kTxOctets = 1044;
inline constexpr int kRxFrames = 1012;
inline constexpr int kRxPauseFrames = 1013;
inline constexpr int kRxOctets = 1014;
inline constexpr int kRxBroadcastFrames = 1015;
inline constexpr int kSingleCollisions = 1016;
inline constexpr int kMultipleCollisions = 1017;
inline constexpr int kLateCollisions = 1018;
inline constexpr int kExcessiveCollisions = 1019;
inline constexpr int kReceiveErrors = 1020;
inline constexpr int kCarrierSenseErrors = 1021;
inline constexpr int kFrameTooLongErrors = 1022;
inline constexpr int kFcsErrors = 1023;
inline constexpr int kClear = 1031;
inline constexpr int kStartStop = 1039;
} // namespace ethernet_status

// Trace window, template 134.
namespace trace {
inline constexpr int kCancel = 2;
inline constexpr int kText = 1009;
inline constexpr int kSave = 1010;
} // namespace trace

// Mode dialog, template 135.
namespace mode {
inline constexpr int kApply = 1;
inline constexpr int kClose = 2;
inline constexpr int kNormal = 1017;
inline constexpr int kInstall = 1018;
} // namespace mode

// Port dialog, template 137.
namespace port {
inline constexpr int kOk = 1;
inline constexpr int kList = 1022;
inline constexpr int kDetail = 1023;
inline constexpr int kAbout = 1024;
} // namespace port

// Report details, template 138: what the installation report names at its top.
namespace report_details {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kSite = 1001;
inline constexpr int kCircuit = 1002;
inline constexpr int kInstaller = 1003;
inline constexpr int kTrace = 1004;
} // namespace report_details

} // namespace res::ids
