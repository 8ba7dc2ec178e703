#include "platform/trace.h"

namespace platform {

namespace {
TraceSink g_sink;
}

void setTraceSink(TraceSink sink) {
    g_sink = std::move(sink);
}

void appendTrace(std::string_view text) {
    if (g_sink)
        g_sink(text);
}

void appendTrace(const char* text) {
    appendTrace(text != nullptr ? std::string_view(text) : std::string_view());
}

} // namespace platform
