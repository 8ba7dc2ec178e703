#pragma once

#include <functional>
#include <string>
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

// Keeps a copy of everything appended to the trace while it lives, whatever the sink (the
// installation report keeps the trace of one search this way). Captures may overlap.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const std::string& text() const { return text_; }

private:
    friend void appendTrace(std::string_view text);
    std::string text_;
};

} // namespace platform
