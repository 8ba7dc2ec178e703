#pragma once

#include "platform/port_open.h"
#include "platform/serial_port.h"
#include "platform/virtual_clock.h"
#include "unit_pair.h"

#include <string>

namespace sim {

// The serial port of a PC cabled to a simulated unit pair, on the virtual clock: a read returns
// the next byte the unit sends if it arrives within the read time-out (the clock moves to its
// arrival), else the clock moves by the whole time-out and the read times out. A hung-up port
// fails every read and write.
class SimulatedPort final : public platform::SerialPort {
public:
    SimulatedPort(UnitPair& pair, platform::VirtualClock& clock) : pair_(pair), clock_(clock) {}

    bool writeByte(std::uint8_t byte) override;
    platform::ByteRead readByte() override;
    void purge() override;
    platform::CommTimeouts timeouts() const override { return timeouts_; }
    bool setTimeouts(const platform::CommTimeouts& timeouts) override;
    void close() override { closed_ = true; }

    // Everything the program wrote, in order.
    const std::string& written() const { return written_; }
    bool closed() const { return closed_; }
    int purgeCount() const { return purges_; }

private:
    bool broken() const { return closed_ || pair_.faults().hangUp; }

    UnitPair& pair_;
    platform::VirtualClock& clock_;
    platform::CommTimeouts timeouts_;
    std::string written_;
    bool closed_ = false;
    int purges_ = 0;
};

// An opener for platform::setPortOpener: whichever COM port the program opens, it gets a fresh
// port cabled to this pair.
platform::PortOpener simulatedPortOpener(UnitPair& pair, platform::VirtualClock& clock);

} // namespace sim
