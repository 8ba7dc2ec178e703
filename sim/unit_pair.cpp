#include "unit_pair.h"

#include "console_protocol.h"
#include "register_map.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::size_t kMaxLineLength = 200;
constexpr std::size_t kLongReplyExtra = 120;
constexpr std::size_t kGarbageLength = 12;
constexpr double kAdcSaturationBelowM = 100.0;

std::string bootBanner(Side side) {
    return std::string("\r\nVDSL extender ") + sideLetter(side) + " side ready\r\n";
}

std::size_t index(Side side) {
    return static_cast<std::size_t>(side);
}

} // namespace

UnitPair::UnitPair(platform::Clock& clock, LineConfig line, PairOptions options)
    : clock_(clock), line_(std::move(line)), options_(options), p_(Side::P, line_.config().seed),
      s_(Side::S, line_.config().seed), attached_(options.attached), output_(options.charNs),
      nowNs_(clock.nowMs() * kNsPerMs), noise_(mixSeed(line_.config().seed, 99)) {
    s_.poke(reg::kMode, options.sMode);
    // The units have been powered for a long time: a link that can train is already up.
    if (canTrain()) {
        phase_ = Phase::Up;
        quality_ = line_.quality(p_.running().downCode(), p_.running().upCode());
    }
    updateWatchdog(nowNs_);
}

// --- Time -----------------------------------------------------------------------------------

void UnitPair::sync() {
    advanceTo(clock_.nowMs() * kNsPerMs);
}

std::int64_t UnitPair::nowNs() {
    sync();
    return nowNs_;
}

void UnitPair::advanceTo(std::int64_t ns) {
    for (std::optional<std::int64_t> event = nextEventNs(); event && *event <= ns;
         event = nextEventNs()) {
        const std::int64_t at = std::max(*event, nowNs_);
        accumulate(nowNs_, at);
        nowNs_ = at;
        applyEventsAt(at);
    }
    if (ns > nowNs_) {
        accumulate(nowNs_, ns);
        nowNs_ = ns;
    }
}

std::optional<std::int64_t> UnitPair::nextEventNs() const {
    std::optional<std::int64_t> next;
    auto consider = [&next](std::optional<std::int64_t> at) {
        if (at && (!next || *at < *next))
            next = at;
    };
    consider(bootEndNs_[0]);
    consider(bootEndNs_[1]);
    if (phase_ == Phase::Training)
        consider(trainEndNs_);
    consider(lineBackNs_);
    consider(watchdogNs_);
    return next;
}

void UnitPair::applyEventsAt(std::int64_t ns) {
    for (Side side : {Side::P, Side::S}) {
        std::optional<std::int64_t>& bootEnd = bootEndNs_[index(side)];
        if (!bootEnd || *bootEnd > ns)
            continue;
        bootEnd.reset();
        unit(side).finishBoot();
        consoles_[index(side)] = {};
        if (side == attached_ && !faults_.silent && !faults_.hangUp)
            output_.send(bootBanner(side) + promptText(false), ns);
    }
    if (phase_ == Phase::Training && trainEndNs_ <= ns)
        phase_ = Phase::Up;
    if (lineBackNs_ && *lineBackNs_ <= ns) {
        lineBackNs_.reset();
        lineCut_ = false;
    }
    if (watchdogNs_ && *watchdogNs_ <= ns) {
        // The S unit's link watchdog: back to the factory rates, where a P unit on its defaults
        // finds it again.
        watchdogNs_.reset();
        s_.revertToDefaultRates();
    }
    reevaluateLink(ns);
}

void UnitPair::accumulate(std::int64_t fromNs, std::int64_t toNs) {
    if (phase_ != Phase::Up || toNs <= fromNs)
        return;
    const double seconds = static_cast<double>(toNs - fromNs) / 1e9;
    p_.accumulate(seconds, view(Side::P));
    s_.accumulate(seconds, view(Side::S));
}

// --- Link -----------------------------------------------------------------------------------

LineView UnitPair::view(Side side) const {
    LineView view;
    view.linkUp = phase_ == Phase::Up;
    view.training = phase_ == Phase::Training;
    view.signalDetected = !unit(otherSide(side)).booting() && !lineCut_;
    view.adcSaturated = line_.config().loopLengthM < kAdcSaturationBelowM;
    view.received = side == Side::P ? quality_.up : quality_.down;
    return view;
}

bool UnitPair::canTrain() const {
    if (p_.booting() || s_.booting() || lineCut_ || !(p_.running() == s_.running()))
        return false;
    return line_.quality(p_.running().downCode(), p_.running().upCode()).trains();
}

void UnitPair::reevaluateLink(std::int64_t ns) {
    const bool possible = canTrain();
    if (phase_ == Phase::Up && !possible)
        interruptLink(lineCut_);
    else if (phase_ == Phase::Training && !possible)
        phase_ = Phase::Down;
    if (phase_ == Phase::Down && possible) {
        const std::uint8_t ds = p_.running().downCode();
        const std::uint8_t us = p_.running().upCode();
        phase_ = Phase::Training;
        quality_ = line_.quality(ds, us);
        trainEndNs_ = ns + line_.trainingMs(ds, us) * kNsPerMs;
    }
    updateWatchdog(ns);
}

void UnitPair::interruptLink(bool microInterruption) {
    if (phase_ == Phase::Up) {
        p_.noteLinkDrop(microInterruption);
        s_.noteLinkDrop(microInterruption);
    }
    phase_ = Phase::Down;
}

void UnitPair::updateWatchdog(std::int64_t ns) {
    const bool armed = s_.installMode() && !s_.booting() && phase_ != Phase::Up &&
                       !(s_.running() == kDefaultRates);
    if (!armed)
        watchdogNs_.reset();
    else if (!watchdogNs_)
        watchdogNs_ = ns + s_.watchdogMs() * kNsPerMs;
}

bool UnitPair::remoteReachable() const {
    return phase_ == Phase::Up && !faults_.remoteUnreachable &&
           !unit(otherSide(attached_)).booting();
}

void UnitPair::restartAt(Side side, std::int64_t ns) {
    unit(side).beginRestart();
    bootEndNs_[index(side)] = ns + options_.bootMs * kNsPerMs;
    consoles_[index(side)] = {};
    interruptLink(false);
    reevaluateLink(ns);
}

// --- Console input --------------------------------------------------------------------------

void UnitPair::receive(std::uint8_t byte, std::int64_t sentNs) {
    sync();
    inputFreeNs_ = std::max(sentNs, inputFreeNs_) + options_.charNs;
    advanceTo(inputFreeNs_);
    const std::int64_t ns = nowNs_;
    if (faults_.hangUp || faults_.silent || unit(attached_).booting())
        return;
    Console& state = console();
    if (byte == kSwitchByte) {
        state.line.clear();
        state.lastWasCr = false;
        handleSwitch(ns);
        return;
    }
    if (byte == '\r' || byte == '\n') {
        if (byte == '\n' && state.lastWasCr) { // the line feed of a terminal's CR LF
            state.lastWasCr = false;
            echo(byte, ns);
            return;
        }
        state.lastWasCr = byte == '\r';
        handleLine(byte, ns);
        return;
    }
    state.lastWasCr = false;
    if (byte == 0x08 || byte == 0x7f) {
        if (!state.line.empty())
            state.line.pop_back();
    } else if (state.line.size() < kMaxLineLength) {
        state.line.push_back(static_cast<char>(byte));
    }
    echo(byte, ns);
}

bool UnitPair::logCommand(Side target, const std::string& text, std::int64_t ns) {
    const Side before = attached_;
    const LoggedCommand entry{target, text, ns / kNsPerMs};
    log_.push_back(entry);
    if (hook_)
        hook_(entry);
    // The hook may have struck: a unit that went silent, hung up, restarted or lost its cable
    // does not answer this command.
    return !faults_.hangUp && !faults_.silent && attached_ == before && !unit(attached_).booting();
}

void UnitPair::handleSwitch(std::int64_t ns) {
    if (!logCommand(attached_, "<05>", ns))
        return;
    echo(kSwitchByte, ns);
    Console& state = console();
    std::string reply;
    if (state.remote) {
        state.remote = false;
        reply = "\r\n" + promptText(false);
    } else if (remoteReachable()) {
        state.remote = true;
        reply = "\r\n" + promptText(true);
    } else {
        reply = noticeText("remote unit unreachable") + promptText(false);
    }
    sendReply(reply, ns);
}

void UnitPair::handleLine(std::uint8_t terminator, std::int64_t ns) {
    const std::string text = std::move(console().line);
    console().line.clear();
    const bool relayed = console().remote && remoteReachable();
    const Side target = relayed ? otherSide(attached_) : attached_;
    if (!logCommand(target, escapeControlBytes(text), ns))
        return;
    echo(terminator, ns);
    if (std::optional<std::string> reply = execute(text, ns))
        sendReply(*reply, ns);
}

std::optional<std::string> UnitPair::execute(const std::string& text, std::int64_t ns) {
    Console& state = console();
    if (state.remote && !remoteReachable()) {
        // The remote unit was lost since the last command: this one is not carried out and
        // the console is back on the local unit.
        state.remote = false;
        return noticeText("remote unit unreachable") + promptText(false);
    }
    const Side target = state.remote ? otherSide(attached_) : attached_;
    bool silenced = false;
    const std::string body = executeOn(target, text, ns, silenced);
    if (silenced)
        return std::nullopt;
    return body + promptText(console().remote);
}

std::string UnitPair::executeOn(Side target, const std::string& text, std::int64_t ns,
                                bool& silenced) {
    const ConsoleCommand command = parseCommand(text);
    switch (command.kind) {
    case ConsoleCommand::Kind::Empty:
        return "\r\n";
    case ConsoleCommand::Kind::Invalid:
        return noticeText("syntax error");
    case ConsoleCommand::Kind::Read: {
        if (!faults_.noValueRegister.empty() &&
            parseRegisterToken(faults_.noValueRegister) == command.address)
            return noValueReplyText(command.registerToken);
        const std::vector<std::uint8_t> bytes =
            unit(target).read(command.address, command.count, view(target));
        return readReplyText(command.registerToken, bytes);
    }
    case ConsoleCommand::Kind::Write:
    case ConsoleCommand::Kind::SetBits:
        break;
    }
    const WriteOutcome outcome = unit(target).write(command.address, command.value,
                                                    command.kind == ConsoleCommand::Kind::SetBits);
    std::string reply = outcome.notice != nullptr ? noticeText(outcome.notice) : "\r\n";
    if (outcome.actions != 0) {
        const std::string notice = performActions(target, outcome.actions, ns, silenced);
        if (!notice.empty())
            reply = notice;
    }
    reevaluateLink(ns); // a new mode or watchdog time may arm or disarm the watchdog
    return reply;
}

std::string UnitPair::performActions(Side target, std::uint8_t actions, std::int64_t ns,
                                     bool& silenced) {
    Unit& unitHit = unit(target);
    if ((actions & reg::kSaveEeprom) != 0)
        unitHit.saveRatesToEeprom();
    if ((actions & reg::kStartRates) != 0) {
        unitHit.startConfiguredRates();
        if (target == Side::S)
            watchdogNs_.reset(); // new rates: the watchdog counts from now
        interruptLink(false);
        reevaluateLink(ns);
    }
    if ((actions & reg::kRestart) != 0) {
        restartAt(target, ns);
        if (target == attached_) {
            silenced = true; // it prompts again when it has booted
            return {};
        }
        console().remote = false; // the local unit answers at once
        return noticeText("remote unit restarting");
    }
    return {};
}

// --- Console output -------------------------------------------------------------------------

void UnitPair::echo(std::uint8_t byte, std::int64_t ns) {
    if (faults_.noEcho)
        return;
    output_.send(std::string(1, static_cast<char>(faults_.wrongEcho.value_or(byte))), ns);
}

std::string UnitPair::garbageText() {
    std::string text;
    while (text.size() < kGarbageLength) {
        noise_ = mixSeed(noise_, 7);
        const auto byte = static_cast<char>(noise_ & 0xFFU);
        if (byte != '>' && byte != ':' && byte != 'L' && byte != 'R')
            text.push_back(byte);
    }
    return text + ">";
}

void UnitPair::sendReply(std::string text, std::int64_t ns) {
    if (faults_.garbage)
        text = garbageText();
    if (faults_.longReply) {
        std::string extra = "\r\n";
        while (extra.size() < kLongReplyExtra)
            extra += "0123456789";
        text = extra + text;
    }
    if (faults_.replyGapMs > 0)
        output_.send(text, ns, text.size() / 2, faults_.replyGapMs * kNsPerMs);
    else
        output_.send(text, ns);
}

std::optional<std::uint8_t> UnitPair::takeOutput(std::int64_t limitNs) {
    sync();
    for (;;) {
        const std::optional<std::int64_t> event = nextEventNs();
        if (!output_.empty()) {
            const std::int64_t due = output_.front().dueNs;
            if (due <= limitNs && (!event || due <= *event)) {
                advanceTo(due);
                const std::uint8_t byte = output_.front().byte;
                output_.pop();
                return byte;
            }
        }
        if (event && *event <= limitNs) {
            advanceTo(*event);
            continue;
        }
        advanceTo(limitNs);
        return std::nullopt;
    }
}

std::optional<std::int64_t> UnitPair::nextWakeNs() {
    sync();
    std::optional<std::int64_t> next = nextEventNs();
    if (!output_.empty() && (!next || output_.front().dueNs < *next))
        next = output_.front().dueNs;
    return next;
}

void UnitPair::purgeArrivedOutput() {
    sync();
    output_.purgeArrived(nowNs_);
}

// --- Inspection and control -----------------------------------------------------------------

void UnitPair::setAttached(Side side) {
    sync();
    if (side == attached_)
        return;
    attached_ = side;
    output_.clear(); // what was on its way through the old cable is lost
}

Side UnitPair::addressedUnit() const {
    return consoles_[index(attached_)].remote ? otherSide(attached_) : attached_;
}

std::uint8_t UnitPair::reg(Side side, std::uint16_t addr) {
    sync();
    return unit(side).peek(addr, view(side));
}

void UnitPair::setReg(Side side, std::uint16_t addr, std::uint8_t value) {
    sync();
    unit(side).poke(addr, value);
    reevaluateLink(nowNs_);
}

bool UnitPair::fixRegister(Side side, std::uint16_t addr, std::optional<std::uint32_t> value) {
    sync();
    return unit(side).fixValue(addr, value);
}

std::uint8_t UnitPair::eeprom(Side side, std::uint16_t addr) {
    return unit(side).eeprom(addr);
}

RateSet UnitPair::runningRates(Side side) {
    sync();
    return unit(side).running();
}

bool UnitPair::linkUp() {
    sync();
    return phase_ == Phase::Up;
}

bool UnitPair::linkTraining() {
    sync();
    return phase_ == Phase::Training;
}

std::uint8_t UnitPair::mode(Side side) {
    sync();
    return unit(side).mode();
}

int UnitPair::restartCount(Side side) const {
    return unit(side).restartCount();
}

bool UnitPair::booting(Side side) {
    sync();
    return unit(side).booting();
}

void UnitPair::restart(Side side) {
    sync();
    restartAt(side, nowNs_);
}

void UnitPair::dropLink(std::int64_t backAfterMs) {
    sync();
    lineCut_ = true;
    lineBackNs_.reset();
    if (backAfterMs >= 0)
        lineBackNs_ = nowNs_ + backAfterMs * kNsPerMs;
    interruptLink(true);
    reevaluateLink(nowNs_);
}

void UnitPair::restoreLine() {
    sync();
    lineCut_ = false;
    lineBackNs_.reset();
    reevaluateLink(nowNs_);
}

} // namespace sim
