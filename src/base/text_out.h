// Text output for the command-line programs. Strings and whole numbers are
// all they print, and without iostreams they start without building the C++
// locale, about a tenth of torvelctl's start-up.
#pragma once

#include <charconv>
#include <concepts>
#include <filesystem>
#include <string>
#include <string_view>

namespace torvel {

class TextOut {
 public:
  virtual ~TextOut() = default;
  virtual void Write(std::string_view text) = 0;
  virtual void Flush() {}

  TextOut& operator<<(std::string_view text) {
    Write(text);
    return *this;
  }
  TextOut& operator<<(const char* text) { return *this << std::string_view(text); }
  TextOut& operator<<(const std::string& text) { return *this << std::string_view(text); }
  TextOut& operator<<(char c) { return *this << std::string_view(&c, 1); }
  template <std::integral T>
    requires(!std::same_as<T, char> && !std::same_as<T, bool>)
  TextOut& operator<<(T value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
  }
};

// What was written, for tests and for callers that pass the text on.
class StringOut final : public TextOut {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  const std::string& str() const { return text_; }
  void str(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

// A file descriptor, buffered up to a line end (`kLines`) or until Flush.
// A line prefix ("<4>" for the journal) goes before every line; `tie` is
// flushed before this one writes, so that standard output and standard
// error keep their order on a terminal.
class FdOut final : public TextOut {
 public:
  enum class Buffering { kLines, kFull };
  explicit FdOut(int fd, Buffering buffering = Buffering::kFull, TextOut* tie = nullptr)
      : fd_(fd), buffering_(buffering), tie_(tie) {}
  ~FdOut() override { Flush(); }
  FdOut(const FdOut&) = delete;
  FdOut& operator=(const FdOut&) = delete;

  void SetLinePrefix(std::string prefix) { prefix_ = std::move(prefix); }
  void Write(std::string_view text) override;
  void Flush() override;
  // False once a write failed (a full disk, a closed pipe); Error() says why.
  bool Good() const { return error_ == 0; }
  int Error() const { return error_; }

 private:
  int fd_;
  Buffering buffering_;
  TextOut* tie_;
  std::string prefix_;
  std::string buffer_;
  bool lineStart_ = true;
  int error_ = 0;
};

// The whole of a file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes);
// Makes or empties `file` (mode 0644 less the umask) and writes `bytes`;
// false when any of it failed.
bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace torvel
