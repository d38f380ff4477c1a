#include "ui/logic/log_logic.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/sprintf.h"
#include "base/text_out.h"
#include "platform/ui_services.h"

namespace torvel {

std::optional<std::string> ReadLogText(const std::filesystem::path& file) {
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return std::nullopt;
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  return bytes;
}

bool WriteLogCopy(const std::filesystem::path& file, std::string_view bytes) {
  return WriteWholeFile(file, bytes);
}

std::error_code DeleteFileIfPresent(const std::filesystem::path& file) {
  // unlink rather than std::filesystem::remove: a folder standing where the
  // file should be is an error, not something to remove.
  if (::unlink(file.c_str()) == 0 || errno == ENOENT) return {};
  return {errno, std::system_category()};
}

std::string CannotDeleteText(const std::filesystem::path& file, const std::error_code& error) {
  return Sprintf("Cannot delete the file \"%s\".\n%s", file.string().c_str(),
                 error.message().c_str());
}

void ShowCannotDelete(UiServices& ui, const std::filesystem::path& file,
                      const std::error_code& error) {
  ui.MessageBox(CannotDeleteText(file, error), "Torvel", kMbOk | kMbIconWarning);
}

LogPageGeometry LayoutLogPage(int pageHeight, int frameTop, int textTop, int buttonHeight,
                              int logicalDpi) {
  LogPageGeometry g;
  g.frameHeight = pageHeight - 3 - frameTop;
  g.textTop = logicalDpi >= 108 ? textTop + 4 : textTop;
  g.textHeight = pageHeight - g.textTop - 31;
  g.buttonTop = pageHeight - 6 - buttonHeight;
  return g;
}

}  // namespace torvel
