#include "mslnk/log.hpp"

#include <atomic>

namespace mslnk::log {
namespace {

std::atomic<Sink> g_sink{nullptr};
std::atomic<int> g_max_level{static_cast<int>(Level::off)};

void emit(Level level, std::string_view message) {
  if (static_cast<int>(level) > g_max_level.load(std::memory_order_relaxed)) return;
  const Sink sink = g_sink.load(std::memory_order_acquire);
  if (sink == nullptr) return;
  sink(Record{level, "mslnk", message});
}

}  // namespace

void install(Sink sink, Level max_level) {
  g_sink.store(sink, std::memory_order_release);
  g_max_level.store(static_cast<int>(max_level), std::memory_order_relaxed);
}

void debug(std::string_view message) { emit(Level::debug, message); }

}  // namespace mslnk::log
