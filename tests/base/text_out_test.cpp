#include "base/text_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace torvel {
namespace {

TEST(TextOut, NumbersAsDecimalAndCharsAsCharacters) {
  StringOut out;
  out << "n=" << -42 << ' ' << std::uint32_t{4294967295u} << ' ' << INT64_MIN << ' '
      << static_cast<unsigned char>(7) << '\n';
  EXPECT_EQ(out.str(), "n=-42 4294967295 -9223372036854775808 7\n");
}

// Reads what an FdOut wrote to a pipe.
std::string PipeText(int readEnd) {
  std::string text;
  char buf[256];
  for (ssize_t n; (n = ::read(readEnd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
  return text;
}

TEST(FdOut, PrefixesEveryLineHoweverTheWritesSplitIt) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    FdOut err(fds[1], FdOut::Buffering::kLines);
    err.SetLinePrefix("<4>");
    err << "torvelctl: one " << 1 << "\n" << "two\nthree";
    err << " still three\n\n";
  }
  ::close(fds[1]);
  EXPECT_EQ(PipeText(fds[0]), "<4>torvelctl: one 1\n<4>two\n<4>three still three\n<4>\n");
  ::close(fds[0]);
}

// Standard error written after standard output must not overtake it.
TEST(FdOut, FlushesItsTieFirst) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    FdOut out(fds[1]);
    FdOut err(fds[1], FdOut::Buffering::kLines, &out);
    out << "report\n";
    err << "warning\n";
    out << "end\n";
  }
  ::close(fds[1]);
  EXPECT_EQ(PipeText(fds[0]), "report\nwarning\nend\n");
  ::close(fds[0]);
}

TEST(FdOut, AFailedWriteIsKnown) {
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  FdOut out(full);
  out << "metrics\n";
  EXPECT_TRUE(out.Good());  // still in the buffer
  out.Flush();
  EXPECT_FALSE(out.Good());
  EXPECT_EQ(out.Error(), ENOSPC);
  ::close(full);
}

TEST(WholeFile, RoundTripsEveryByteAndFailsWhereNoFileCanBe) {
  test::TempDir dir;
  std::string bytes(70000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  const auto file = dir.path() / "f";
  ASSERT_TRUE(WriteWholeFile(file, bytes));
  ASSERT_TRUE(WriteWholeFile(file, bytes));  // again: emptied first, not appended
  std::string back = "old";
  ASSERT_TRUE(ReadWholeFile(file, back));
  EXPECT_EQ(back, bytes);

  EXPECT_FALSE(ReadWholeFile(dir.path() / "missing", back));
  EXPECT_FALSE(WriteWholeFile(dir.path() / "no" / "such", "x"));
  EXPECT_FALSE(ReadWholeFile(dir.path(), back));  // a folder
  EXPECT_FALSE(WriteWholeFile("/dev/full", "x"));
}

}  // namespace
}  // namespace torvel
