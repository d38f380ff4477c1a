#include "base/text_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace torvel {

void FdOut::Write(std::string_view text) {
  if (tie_ != nullptr) tie_->Flush();
  while (!text.empty()) {
    if (lineStart_) buffer_.append(prefix_);
    const std::size_t end = text.find('\n');
    const std::size_t take = end == std::string_view::npos ? text.size() : end + 1;
    buffer_.append(text.substr(0, take));
    lineStart_ = end != std::string_view::npos;
    text.remove_prefix(take);
  }
  if (buffering_ == Buffering::kLines ? lineStart_ : buffer_.size() >= 8192) Flush();
}

void FdOut::Flush() {
  std::string_view rest = buffer_;
  while (!rest.empty() && error_ == 0) {
    const ssize_t n = ::write(fd_, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error_ = n < 0 ? errno : EIO;
    else rest.remove_prefix(static_cast<std::size_t>(n));
  }
  buffer_.clear();
}

bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes.clear();
  char chunk[16384];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  FdOut out(fd);
  out.Write(bytes);
  out.Flush();
  const bool written = out.Good();
  return ::close(fd) == 0 && written;
}

}  // namespace torvel
