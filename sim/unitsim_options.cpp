#include "unitsim_options.h"

#include "console_protocol.h"

#include <charconv>
#include <cstdlib>

namespace sim {

namespace {

constexpr std::int64_t kDefaultGapMs = 4500; // longer than the program's 4010 ms per byte
constexpr std::int64_t kDefaultLinkDropSeconds = 10;
constexpr std::uint8_t kDefaultWrongEcho = '#';
constexpr long long kMaxLatencyMs = 255; // the longest latency timer the adapters take

struct FaultKind {
    const char* name;
    enum Value { None, Optional, Required } value;
};

constexpr FaultKind kFaultKinds[] = {
    {"silent", FaultKind::None},         {"no-echo", FaultKind::None},
    {"gap", FaultKind::Optional},        {"garbage", FaultKind::None},
    {"long-reply", FaultKind::None},     {"no-value", FaultKind::Required},
    {"wrong-echo", FaultKind::Optional}, {"unreachable", FaultKind::None},
    {"link-drop", FaultKind::Optional},  {"cable-move", FaultKind::None},
    {"hangup", FaultKind::None},
};

bool parseInteger(const std::string& text, long long& out, int base = 10) {
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out, base);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseNumber(const std::string& text, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

const FaultKind* findFault(const std::string& name) {
    for (const FaultKind& kind : kFaultKinds)
        if (name == kind.name)
            return &kind;
    return nullptr;
}

std::string checkFaultValue(const FaultOption& fault) {
    long long number = 0;
    if (fault.value.empty())
        return {};
    if (fault.name == "gap" && (!parseInteger(fault.value, number) || number <= 0))
        return "gap needs a positive number of milliseconds";
    if (fault.name == "link-drop" && (!parseInteger(fault.value, number) || number < 0))
        return "link-drop needs a number of seconds";
    if (fault.name == "wrong-echo" &&
        (!parseInteger(fault.value, number, 16) || number < 0 || number > 0xff))
        return "wrong-echo needs a byte in hexadecimal";
    if (fault.name == "no-value" && parseRegisterToken(fault.value) < 0)
        return "no-value needs a register address in hexadecimal";
    return {};
}

// NAME[=VALUE][@N]
std::string parseFault(const std::string& text, FaultOption& fault) {
    std::string rest = text;
    if (const std::size_t at = rest.rfind('@'); at != std::string::npos) {
        long long count = 0;
        if (!parseInteger(rest.substr(at + 1), count) || count < 1 || count > 1000000)
            return "bad command number in --fault " + text;
        fault.atCommand = static_cast<int>(count);
        rest.resize(at);
    }
    if (const std::size_t equals = rest.find('='); equals != std::string::npos) {
        fault.value = rest.substr(equals + 1);
        rest.resize(equals);
    }
    fault.name = rest;
    const FaultKind* kind = findFault(fault.name);
    if (kind == nullptr)
        return "unknown fault " + fault.name;
    if (kind->value == FaultKind::None && !fault.value.empty())
        return "fault " + fault.name + " takes no value";
    if (kind->value == FaultKind::Required && fault.value.empty())
        return "fault " + fault.name + " needs a value";
    if (std::string error = checkFaultValue(fault); !error.empty())
        return error;
    return {};
}

std::string parseOption(const std::string& name, const std::string& value,
                        UnitsimOptions& options) {
    long long number = 0;
    if (name == "--pty") {
        options.ptyPath = value;
    } else if (name == "--attached") {
        if (value != "p" && value != "s" && value != "P" && value != "S")
            return "--attached takes p or s";
        options.attached = (value == "p" || value == "P") ? Side::P : Side::S;
    } else if (name == "--log") {
        options.logPath = value;
    } else if (name == "--loop-length") {
        if (!parseNumber(value, options.line.loopLengthM) || options.line.loopLengthM < 0)
            return "--loop-length takes a length in metres";
    } else if (name == "--noise") {
        if (!parseNumber(value, options.line.noiseDbmHz))
            return "--noise takes a level in dBm/Hz";
    } else if (name == "--latency") {
        if (!parseInteger(value, number) || number < 0 || number > kMaxLatencyMs)
            return "--latency takes milliseconds from 0 to 255";
        options.latencyMs = static_cast<int>(number);
    } else if (name == "--seed") {
        if (!parseInteger(value, number) || number < 0)
            return "--seed takes a whole number";
        options.line.seed = static_cast<std::uint64_t>(number);
    } else if (name == "--s-mode") {
        if (value != "install" && value != "normal")
            return "--s-mode takes install or normal";
        options.sMode = value == "install" ? 0x01 : 0x05;
    } else if (name == "--fault") {
        FaultOption fault;
        if (std::string error = parseFault(value, fault); !error.empty())
            return error;
        options.faults.push_back(fault);
    } else {
        return "unknown option " + name;
    }
    return {};
}

} // namespace

UnitsimParse parseUnitsimOptions(const std::vector<std::string>& args) {
    UnitsimParse parse;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h") {
            parse.options.help = true;
            return parse;
        }
        if (name == "--pace") {
            parse.options.pace = true;
            continue;
        }
        std::string value;
        if (const std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parse.error = name + " needs a value";
            return parse;
        }
        if (std::string error = parseOption(name, value, parse.options); !error.empty()) {
            parse.error = error;
            return parse;
        }
    }
    if (parse.options.ptyPath.empty())
        parse.error = "--pty PATH is required";
    return parse;
}

void applyFault(UnitPair& pair, const FaultOption& fault) {
    Faults& faults = pair.faults();
    long long number = 0;
    if (fault.name == "silent") {
        faults.silent = true;
    } else if (fault.name == "no-echo") {
        faults.noEcho = true;
    } else if (fault.name == "gap") {
        faults.replyGapMs = parseInteger(fault.value, number) ? number : kDefaultGapMs;
    } else if (fault.name == "garbage") {
        faults.garbage = true;
    } else if (fault.name == "long-reply") {
        faults.longReply = true;
    } else if (fault.name == "no-value") {
        faults.noValueRegister = fault.value;
    } else if (fault.name == "wrong-echo") {
        faults.wrongEcho = parseInteger(fault.value, number, 16) ? static_cast<std::uint8_t>(number)
                                                                 : kDefaultWrongEcho;
    } else if (fault.name == "unreachable") {
        faults.remoteUnreachable = true;
    } else if (fault.name == "link-drop") {
        const long long seconds =
            parseInteger(fault.value, number) ? number : kDefaultLinkDropSeconds;
        pair.dropLink(seconds * 1000);
    } else if (fault.name == "cable-move") {
        pair.setAttached(otherSide(pair.attached()));
    } else if (fault.name == "hangup") {
        faults.hangUp = true;
    }
}

PairOptions realTimePairOptions(const UnitsimOptions& options) {
    PairOptions pairOptions;
    pairOptions.attached = options.attached;
    pairOptions.charNs = options.pace ? PairOptions{}.charNs : 0;
    pairOptions.sMode = options.sMode;
    return pairOptions;
}

std::string unitsimHelp() {
    return R"(Usage: quillon-unitsim --pty PATH [options]

Simulates a pair of VDSL extender units (P at the central end, S at the subscriber
end) behind the serial console of one of them, on a pseudo-terminal. When it
serves, it prints one line "ready PATH" on standard output. It runs until it is
interrupted (Ctrl-C, SIGTERM) or a hangup fault strikes.

Options:
  --pty PATH           make the pseudo-terminal reachable as PATH (a symbolic link
                       to its slave device; an old link there is replaced)
  --attached p|s       the unit cabled to the console (default p)
  --log FILE           write every command received to FILE, one line each:
                       milliseconds since start, the unit it went to, the text
                       with control bytes written as <05>
  --pace               send at the real 9600-baud character time (1.0417 ms per
                       character); without it replies are sent at once
  --latency MS         deliver the unit's bytes as a USB serial adapter with a
                       latency timer of MS ms does: held until MS ms after the
                       first byte held, or until 62 bytes are held (default 0: a
                       plain serial port)
  --loop-length M      length of the copper pair in metres (default 1500)
  --noise DBMHZ        noise level on the line in dBm/Hz (default -120)
  --seed N             seed of the line model's jitter and traffic (default 1)
  --s-mode MODE        mode of the S unit at power-up: normal (default) or install
  --fault FAULT        strike a fault; repeatable. FAULT is NAME[=VALUE][@N]: with @N
                       the fault strikes when the Nth command arrives (counting
                       every line and switch byte from 1), before it is answered;
                       without it, from the start. Faults stay on once struck.
      silent           the attached unit neither answers nor acts
      no-echo          bytes are not echoed; commands are still answered
      gap[=MS]         a pause of MS milliseconds (default 4500) in the middle of
                       every reply
      garbage          every reply is replaced by line noise ending in '>'
      long-reply       every reply carries 120 characters before its prompt
      no-value=REG     reads of register REG are answered without a value
      wrong-echo[=HEX] every byte is echoed as byte HEX (default 23, '#')
      unreachable      the remote unit cannot be reached even with the link up
      link-drop[=S]    the line is cut and comes back after S seconds (default 10)
      cable-move       the console cable is moved to the other unit
      hangup           the port hangs up: the simulator closes it and exits
  -h, --help           show this text

Example: quillon-unitsim --pty /tmp/ttyQ --attached s --fault no-value=c255@2
)";
}

} // namespace sim
