#include "support/scripted_port.h"

namespace testsupport {

std::unique_ptr<platform::SerialPort> ScriptedPort::handle() {
    return std::make_unique<ForwardingPort>(*this);
}

void ScriptedPort::queue(std::string_view bytes, std::int64_t gapMs) {
    for (char c : bytes) {
        input_.push_back({Item::Byte, static_cast<std::uint8_t>(c), gapMs});
        gapMs = 0;
    }
}

void ScriptedPort::queueFailure() {
    input_.push_back({Item::Failure, 0, 0});
}

bool ScriptedPort::writeByte(std::uint8_t byte) {
    if (writeFails_ || closed_)
        return false;
    written_ += static_cast<char>(byte);
    traffic_ += static_cast<char>(byte);
    if (echo_)
        echoes_.push_back({Item::Byte, byte, 0});
    if (writeHook_)
        writeHook_(byte);
    return true;
}

platform::ByteRead ScriptedPort::readByte() {
    if (closed_)
        return {platform::ReadStatus::Failure, 0};
    const std::int64_t limit = timeouts_.readTotalMultiplier + timeouts_.readTotalConstant;
    std::deque<Item>& source = !echoes_.empty() ? echoes_ : input_;
    if (source.empty() || source.front().gapMs > limit) {
        if (!source.empty())
            source.front().gapMs -= limit;
        clock_.advance(limit);
        return {platform::ReadStatus::Timeout, 0};
    }
    const Item item = source.front();
    source.pop_front();
    clock_.advance(item.gapMs);
    if (item.kind == Item::Failure)
        return {platform::ReadStatus::Failure, 0};
    return {platform::ReadStatus::Byte, item.byte};
}

void ScriptedPort::purge() {
    traffic_ += "[purge]";
    input_.clear();
    echoes_.clear();
}

void ScriptedPort::close() {
    closed_ = true;
    traffic_ += "[close]";
}

} // namespace testsupport
