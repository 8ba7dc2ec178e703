#pragma once

#include "line_model.h"
#include "side.h"
#include "unit_pair.h"

#include <string>
#include <vector>

namespace sim {

// A fault from the command line: its name, its value (may be empty) and the number of the
// command at whose arrival it strikes (0: from the start).
struct FaultOption {
    std::string name;
    std::string value;
    int atCommand = 0;
};

struct UnitsimOptions {
    std::string ptyPath;
    Side attached = Side::P;
    std::string logPath;
    bool pace = false;
    int latencyMs = 0; // a USB adapter's latency timer between the unit and the PC; 0: none
    LineConfig line;
    std::uint8_t sMode = 0x05;
    std::vector<FaultOption> faults;
    bool help = false;
};

struct UnitsimParse {
    UnitsimOptions options;
    std::string error; // empty when the command line was understood
};

UnitsimParse parseUnitsimOptions(const std::vector<std::string>& args);
std::string unitsimHelp();
// Strikes a (validated) fault on the pair now.
void applyFault(UnitPair& pair, const FaultOption& fault);
// PairOptions for the real-time server: paced or not, the chosen unit cabled.
PairOptions realTimePairOptions(const UnitsimOptions& options);

} // namespace sim
