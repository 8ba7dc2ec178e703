#include "platform/trace.h"

#include "platform/seams.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {
std::vector<TraceCapture*> g_captures;
} // namespace

TraceCapture::TraceCapture() {
    g_captures.push_back(this);
}

TraceCapture::~TraceCapture() {
    g_captures.erase(std::remove(g_captures.begin(), g_captures.end(), this), g_captures.end());
}

void setTraceSink(TraceSink sink) {
    seams().trace = std::move(sink);
}

void appendTrace(std::string_view text) {
    for (TraceCapture* capture : g_captures)
        capture->text_.append(text);
    if (const TraceSink& sink = seams().trace)
        sink(text);
}

void appendTrace(const char* text) {
    appendTrace(text != nullptr ? std::string_view(text) : std::string_view());
}

} // namespace platform
