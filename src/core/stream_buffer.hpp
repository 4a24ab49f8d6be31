// The byte-level behaviour of the two standard streams, kept apart from the
// system calls so it can be tested on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

// Standard output is line-buffered with a buffer of 1024 bytes:
// - a write that holds a line feed passes on what is buffered, then itself
//   up to and including its last line feed; the bytes after it are kept;
// - a write without a line feed first passes on a buffered complete line
//   (a buffer that ends with a line feed), then is buffered;
// - once made unbuffered (at the orderly exit) every write passes straight on.
// `Sink` is called as sink(std::string_view) for each block passed on.
class LineBuffer {
 public:
  static constexpr std::size_t CAPACITY = 1024;

  template <class Sink>
  void write(std::string_view data, Sink&& sink) {
    if (data.empty()) return;
    if (unbuffered_) {
      sink(data);
      return;
    }
    const std::size_t last_lf = data.rfind('\n');
    if (last_lf != std::string_view::npos) {
      flush(sink);
      sink(data.substr(0, last_lf + 1));
      buffer_tail(data.substr(last_lf + 1), sink);
      return;
    }
    if (!buf_.empty() && buf_.back() == '\n') flush(sink);
    buffer_tail(data, sink);
  }

  template <class Sink>
  void flush(Sink&& sink) {
    if (buf_.empty()) return;
    // Cleared before the sink runs: a failed write drops the bytes rather
    // than retrying them forever.
    std::string pending;
    pending.swap(buf_);
    sink(std::string_view(pending));
  }

  void make_unbuffered() { unbuffered_ = true; }
  std::string_view buffered() const { return buf_; }

 private:
  template <class Sink>
  void buffer_tail(std::string_view tail, Sink&& sink) {
    if (tail.empty()) return;
    if (buf_.size() + tail.size() > CAPACITY) flush(sink);
    if (tail.size() >= CAPACITY) {
      sink(tail);
      return;
    }
    if (buf_.capacity() < CAPACITY) buf_.reserve(CAPACITY);
    buf_.append(tail);
  }

  std::string buf_;
  bool unbuffered_ = false;
};

// A console takes UTF-16, so UTF-8 bytes are converted piece by piece: at
// most 4096 input bytes per piece, each piece ending on a character
// boundary. A sequence cut by the end of one write is kept and completed by
// the first bytes of the next.
class ConsolePieces {
 public:
  static constexpr std::size_t MAX_PIECE = 4096;

  // Calls emit(std::string_view) with whole-character pieces of `data`.
  template <class Emit>
  void write(std::string_view data, Emit&& emit) {
    if (!carry_.empty()) {
      const std::size_t need = sequence_length(carry_[0]) - carry_.size();
      const std::size_t take = need < data.size() ? need : data.size();
      carry_.append(data.substr(0, take));
      data.remove_prefix(take);
      if (carry_.size() < sequence_length(carry_[0])) return;
      std::string done;
      done.swap(carry_);
      emit(std::string_view(done));
    }
    while (!data.empty()) {
      std::string_view piece = data.substr(0, MAX_PIECE);
      const std::size_t whole = whole_prefix(piece);
      if (whole == 0) {
        carry_.assign(piece);  // only a started sequence is left
        return;
      }
      emit(piece.substr(0, whole));
      data.remove_prefix(whole);
    }
  }

  std::string_view carried() const { return carry_; }

 private:
  // Length of the sequence a lead byte starts; 1 for anything that is not a
  // multi-byte lead, so a stray byte never waits for bytes that won't come.
  static std::size_t sequence_length(char lead) {
    const auto b = static_cast<unsigned char>(lead);
    if (b >= 0xF0 && b <= 0xF4) return 4;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xC2 && b <= 0xDF) return 2;
    return 1;
  }

  // The longest prefix of `piece` that does not end inside a sequence.
  static std::size_t whole_prefix(std::string_view piece) {
    const std::size_t n = piece.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
      const auto b = static_cast<unsigned char>(piece[n - back]);
      if ((b & 0xC0) != 0x80) {  // the last lead (or single) byte
        return sequence_length(piece[n - back]) > back ? n - back : n;
      }
    }
    return n;
  }

  std::string carry_;
};

}  // namespace vx
