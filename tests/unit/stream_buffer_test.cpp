#include "core/stream_buffer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
  std::vector<std::string> blocks;
  void operator()(std::string_view b) { blocks.emplace_back(b); }
};

TEST(LineBuffer, PassesCompleteLinesAndKeepsTheRest) {
  vx::LineBuffer buf;
  Recorder sys;
  buf.write("windows file link created\n", std::ref(sys));
  EXPECT_EQ(sys.blocks, (std::vector<std::string>{"windows file link created\n"}));
  EXPECT_TRUE(buf.buffered().empty());

  sys.blocks.clear();
  buf.write("ab", std::ref(sys));        // no line feed: kept
  buf.write("c\nde\nf", std::ref(sys));  // buffered part first, then up to the last LF
  EXPECT_EQ(sys.blocks, (std::vector<std::string>{"ab", "c\nde\n"}));
  EXPECT_EQ(buf.buffered(), "f");
}

TEST(LineBuffer, AWriteWithoutLineFeedFirstPassesABufferedLine) {
  vx::LineBuffer buf;
  Recorder sys;
  buf.write("x\ny", std::ref(sys));
  buf.write("\n", std::ref(sys));
  sys.blocks.clear();
  // Buffer is empty after "\n": nothing passed, "z" is kept.
  buf.write("z", std::ref(sys));
  EXPECT_TRUE(sys.blocks.empty());
  EXPECT_EQ(buf.buffered(), "z");
}

TEST(LineBuffer, FullBufferAndOversizeWrites) {
  vx::LineBuffer buf;
  Recorder sys;
  const std::string a(1000, 'a'), b(100, 'b'), big(vx::LineBuffer::CAPACITY, 'c');
  buf.write(a, std::ref(sys));
  EXPECT_TRUE(sys.blocks.empty());
  buf.write(b, std::ref(sys));  // does not fit: the buffer goes first
  EXPECT_EQ(sys.blocks, (std::vector<std::string>{a}));
  buf.write(big, std::ref(sys));  // as large as the buffer: straight through
  EXPECT_EQ(sys.blocks, (std::vector<std::string>{a, b, big}));
  EXPECT_TRUE(buf.buffered().empty());
}

TEST(LineBuffer, FlushThenUnbuffered) {
  vx::LineBuffer buf;
  Recorder sys;
  buf.write("tail", std::ref(sys));
  buf.flush(std::ref(sys));
  buf.make_unbuffered();
  buf.write("x", std::ref(sys));
  buf.write("", std::ref(sys));
  EXPECT_EQ(sys.blocks, (std::vector<std::string>{"tail", "x"}));
}

TEST(ConsolePieces, SplitsAtMost4096BytesOnCharacterBoundaries) {
  // 4095 ASCII bytes then a 3-byte character: the cut at 4096 falls inside
  // it, so the first piece stops before it.
  const std::string text = std::string(4095, 'a') + "\xe2\x82\xac" + "b";
  vx::ConsolePieces pieces;
  Recorder con;
  pieces.write(text, std::ref(con));
  ASSERT_EQ(con.blocks.size(), 2u);
  EXPECT_EQ(con.blocks[0], std::string(4095, 'a'));
  EXPECT_EQ(con.blocks[1], "\xe2\x82\xac" "b");
  for (const auto& b : con.blocks) EXPECT_LE(b.size(), vx::ConsolePieces::MAX_PIECE);
}

TEST(ConsolePieces, ASequenceCutBetweenWritesIsCompletedByTheNext) {
  const std::string emoji = "\xf0\x9f\x98\x80";
  for (std::size_t cut = 1; cut < emoji.size(); ++cut) {
    vx::ConsolePieces pieces;
    Recorder con;
    pieces.write("x" + emoji.substr(0, cut), std::ref(con));
    EXPECT_EQ(con.blocks, (std::vector<std::string>{"x"}));
    EXPECT_EQ(pieces.carried(), emoji.substr(0, cut));
    pieces.write(emoji.substr(cut) + "y", std::ref(con));
    EXPECT_EQ(con.blocks, (std::vector<std::string>{"x", emoji, "y"})) << "cut " << cut;
    EXPECT_TRUE(pieces.carried().empty());
  }
}

}  // namespace
