#pragma once

#include <functional>
#include <string_view>

namespace platform {

// Where the console link and the procedures write their trace: the trace window registers
// itself as the sink; tests register a recorder. With no sink the text is dropped.
using TraceSink = std::function<void(std::string_view text)>;
void setTraceSink(TraceSink sink);

// Appends text to the trace; a null text appends nothing (the sink is still told, so the view
// still moves to the end).
void appendTrace(const char* text);
void appendTrace(std::string_view text);

} // namespace platform
