// What the engine asks of the desktop: message boxes and help topics. The
// application supplies a Qt or a headless implementation; tests script one.
#pragma once

#include <string>

namespace torvel {

// Box styles and answers, with the values of the Windows interface.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbIconError = 0x10;
// Stays above every other window until answered.
inline constexpr unsigned kMbSystemModal = 0x1000;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class UiServices {
 public:
  virtual ~UiServices() = default;
  // `text` and `caption` are Windows-1252. Returns kIdOk, kIdYes or kIdNo.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // A topic such as "Torvel Help.chm::\html\Languges.htm".
  virtual void OpenHelpTopic(const std::string& topic) = 0;
};

}  // namespace torvel
