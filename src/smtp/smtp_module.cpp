// The SMTP module: one plain-text mail per call, spoken through libcurl.
// libcurl does the protocol (EHLO, STARTTLS, AUTH, dot-stuffing, QUIT); this
// file builds the message and maps curl's outcome onto the module's results.
//
// -11 (failed to disconnect) is never returned: curl sends QUIT when it
// closes the connection and ignores the answer, so a failed QUIT is not
// visible here. A mail that was accepted counts as sent.
#include "smtp/smtp_module.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

// curl_global_init is not thread-safe and must run once. The library is
// linked -z nodelete, so this flag lives as long as the process.
std::once_flag curlReady;

constexpr long kConnectSeconds = 30;
constexpr long kResponseSeconds = 60;
constexpr long kTotalSeconds = 120;

std::string Text(const char* s) { return s ? s : ""; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> SplitRecipients(std::string_view list) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(",;", start);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view one = Trim(list.substr(start, end - start));
    if (!one.empty()) out.emplace_back(one);
    start = end + 1;
  }
  return out;
}

// The envelope wants the bare address: "Name <a@b>" gives "<a@b>".
std::string EnvelopeAddress(const std::string& address) {
  const std::size_t open = address.find('<');
  const std::size_t close = address.find('>', open == std::string::npos ? 0 : open);
  if (open != std::string::npos && close != std::string::npos)
    return address.substr(open, close - open + 1);
  return "<" + address + ">";
}

// "host" or "host:port"; a bare IPv6 address (two colons or more) has no port.
std::string ServerUrl(const std::string& server) {
  std::string host = server;
  std::string port = "25";
  const std::size_t colon = server.rfind(':');
  const bool bracketed = server.front() == '[';
  if (!bracketed && std::count(server.begin(), server.end(), ':') > 1) {
    host = "[" + server + "]";
  } else if (colon != std::string::npos && !(bracketed && server.back() == ']')) {
    host = server.substr(0, colon);
    if (colon + 1 < server.size()) port = server.substr(colon + 1);
  }
  // No path: curl then greets with this computer's host name.
  return "smtp://" + host + ":" + port;
}

// RFC 5322 date of the local time, in English whatever the locale.
std::string MailDateHeader() {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  const long offset = t.tm_gmtoff / 60;
  const long absOffset = offset < 0 ? -offset : offset;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[t.tm_wday % 7],
                t.tm_mday, kMonths[t.tm_mon % 12], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
                offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
  return buf;
}

// A header may only carry ASCII: anything else goes in one encoded word.
std::string HeaderText(const std::string& text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
  });
  if (ascii) return text;
  std::string out = "=?windows-1252?Q?";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b)) {
      out += c;
    } else if (b == ' ') {
      out += '_';
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "=%02X", b);
      out += hex;
    }
  }
  return out + "?=";
}

// Line feeds become CR LF; a CR LF already there stays as it is.
std::string CrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string ComposeMessage(const std::string& sender, const std::vector<std::string>& recipients,
                           const std::string& subject, const std::string& body) {
  std::string to;
  for (const std::string& r : recipients) to += (to.empty() ? "" : ", ") + r;
  return "Date: " + MailDateHeader() + "\r\nFrom: " + sender + "\r\nTo: " + to +
         "\r\nSubject: " + HeaderText(subject) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=windows-1252"
         "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
         CrLf(body);
}

struct Upload {
  const std::string& data;
  std::size_t sent = 0;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* up = static_cast<Upload*>(user);
  const std::size_t n = std::min(size * count, up->data.size() - up->sent);
  std::memcpy(buffer, up->data.data() + up->sent, n);
  up->sent += n;
  return n;
}

// The first thing a server says is its greeting; a 2xx one means the
// connection is made and any later failure is a failure to send.
struct Progress {
  bool answered = false;
  bool greeted = false;
};

int WatchReplies(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  auto* p = static_cast<Progress*>(user);
  if (type == CURLINFO_HEADER_IN && !p->answered) {
    p->answered = true;
    p->greeted = size > 0 && data[0] == '2';
  }
  return 0;
}

int MapResult(CURLcode code, const Progress& progress) {
  switch (code) {
    case CURLE_OK:
      return TORVEL_SMTP_OK;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
      return TORVEL_SMTP_CONNECT_FAILED;
    default:
      return progress.greeted ? TORVEL_SMTP_SEND_FAILED : TORVEL_SMTP_CONNECT_FAILED;
  }
}

// TORVEL_SMTP_TIMEOUT=<seconds> replaces every time-out (tests use a short one).
long TimeoutSeconds(long seconds) {
  const char* env = std::getenv("TORVEL_SMTP_TIMEOUT");
  if (!env || !*env) return seconds;
  char* end = nullptr;
  const long value = std::strtol(env, &end, 10);
  return (*end == '\0' && value > 0) ? value : seconds;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SendMail(const char* server, int authType, const char* userName,
                        const char* password, const char* sender, const char* recipients,
                        const char* subject, const char* body, int, int, int, int, int, int) {
  const std::string serverText = Text(server);
  const std::vector<std::string> to = SplitRecipients(Text(recipients));
  if (serverText.empty()) return TORVEL_SMTP_CONNECT_FAILED;
  if (to.empty()) return TORVEL_SMTP_SEND_FAILED;

  std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* curl = curl_easy_init();
  if (!curl) return TORVEL_SMTP_CONNECT_FAILED;

  const std::string url = ServerUrl(serverText);
  const std::string from = EnvelopeAddress(Text(sender));
  const std::string message = ComposeMessage(Text(sender), to, Text(subject), Text(body));
  curl_slist* rcpt = nullptr;
  for (const std::string& r : to) rcpt = curl_slist_append(rcpt, EnvelopeAddress(r).c_str());
  Upload upload{message};
  Progress progress;

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // runs on a worker thread
  curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, TimeoutSeconds(kConnectSeconds));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, TimeoutSeconds(kResponseSeconds));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, TimeoutSeconds(kTotalSeconds));
  if (authType == 2) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, Text(userName).c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, Text(password).c_str());
  }
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadMessage);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  // The debug hook is the only way to see the greeting; verbose feeds it.
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, WatchReplies);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &progress);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);

  const CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(rcpt);
  curl_easy_cleanup(curl);
  return MapResult(code, progress);
}
