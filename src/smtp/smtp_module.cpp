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
#include <cstdint>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
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
std::string ServerUrlFor(const std::string& server, const char* scheme, const char* defaultPort) {
  std::string host = server;
  std::string port = defaultPort;
  const std::size_t colon = server.rfind(':');
  const bool bracketed = server.front() == '[';
  if (!bracketed && std::count(server.begin(), server.end(), ':') > 1) {
    host = "[" + server + "]";
  } else if (colon != std::string::npos && !(bracketed && server.back() == ']')) {
    host = server.substr(0, colon);
    if (colon + 1 < server.size()) port = server.substr(colon + 1);
  }
  // No path: curl then greets with this computer's host name.
  return std::string(scheme) + "://" + host + ":" + port;
}

// The server may also be written "smtp://host[:port]" or "smtps://host[:port]";
// the latter asks for implicit TLS, port 465 unless given.
struct Endpoint {
  std::string url;
  bool implicitTls = false;
};

Endpoint ServerEndpoint(std::string server, bool implicitTls) {
  const auto strip = [&server](std::string_view scheme) {
    if (server.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(server[i])) != scheme[i]) return false;
    server.erase(0, scheme.size());
    return true;
  };
  if (strip("smtps://")) implicitTls = true;
  else strip("smtp://");
  while (!server.empty() && server.back() == '/') server.pop_back();
  if (server.empty()) return {};
  return {ServerUrlFor(server, implicitTls ? "smtps" : "smtp", implicitTls ? "465" : "25"),
          implicitTls};
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

// "<time.random@domain>", the domain taken from the sender's address (a
// large provider checks that it is theirs or the sending host's).
std::string MessageId(const std::string& envelopeFrom) {
  std::string domain = "localhost";
  const std::size_t at = envelopeFrom.rfind('@');
  if (at != std::string::npos) {
    domain = envelopeFrom.substr(at + 1);
    if (!domain.empty() && domain.back() == '>') domain.pop_back();
  }
  std::random_device random;
  char id[64];
  std::snprintf(id, sizeof id, "<%lx.%08x%08x@", static_cast<unsigned long>(std::time(nullptr)),
                random(), random());
  return id + domain + ">";
}

std::string ComposeMessage(const std::string& sender, const std::vector<std::string>& recipients,
                           const std::string& subject, const std::string& body) {
  std::string to;
  for (const std::string& r : recipients) to += (to.empty() ? "" : ", ") + r;
  return "Date: " + MailDateHeader() + "\r\nFrom: " + sender + "\r\nTo: " + to +
         "\r\nSubject: " + HeaderText(subject) + "\r\nMessage-ID: " +
         MessageId(EnvelopeAddress(sender)) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=windows-1252"
         "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
         CrLf(body);
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
  });
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// RFC 2047 encoded words of UTF-8 text: ASCII stays as it is; otherwise
// base64 words of at most 45 bytes, never splitting a character, so that
// each stays within 75 characters.
std::string EncodedWords(const std::string& text) {
  if (IsAscii(text)) return text;
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = std::min(text.size(), i + 45);
    while (end < text.size() && end > i && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
      --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64(std::string_view(text).substr(i, end - i)) + "?=";
    i = end;
  }
  return out;
}

// "Name <a@b>" with the name encoded when it is not ASCII; a bare address
// as it is.
std::string AddressHeader(const std::string& address) {
  const std::size_t open = address.find('<');
  if (open == std::string::npos) return address;
  std::string name(Trim(std::string_view(address).substr(0, open)));
  const std::string rest = address.substr(open);
  if (name.empty()) return rest;
  if (IsAscii(name)) return name + " " + rest;
  return EncodedWords(name) + " " + rest;
}

// Quoted-printable (RFC 2045): CR LF line breaks stay hard breaks, lines are
// kept under 76 characters with soft breaks, and every byte that is not
// printable ASCII is written =XX, so the message is 7-bit clean.
std::string QuotedPrintable(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t column = 0;
  const auto put = [&](const std::string& piece) {
    if (column + piece.size() > 75) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\r\n";
      column = 0;
      ++i;
      continue;
    }
    const bool atLineEnd = i + 1 == text.size() || text[i + 1] == '\r';
    const bool plain = (b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !atLineEnd);
    if (plain) {
      put(std::string(1, static_cast<char>(b)));
    } else {
      put(std::string{'=', kHex[b >> 4], kHex[b & 15]});
    }
  }
  return out;
}

std::string ComposeUtf8Message(const std::string& sender, const std::vector<std::string>& recipients,
                               const std::string& subject, const std::string& body) {
  std::string to;
  for (const std::string& r : recipients) to += (to.empty() ? "" : ",\r\n ") + AddressHeader(r);
  return "Date: " + MailDateHeader() + "\r\nFrom: " + AddressHeader(sender) + "\r\nTo: " + to +
         "\r\nSubject: " + EncodedWords(subject) + "\r\nMessage-ID: " +
         MessageId(EnvelopeAddress(sender)) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8"
         "\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
         QuotedPrintable(CrLf(body));
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

struct Mail {
  std::string server;
  bool withAuth = false;
  std::string userName, password, sender;
  std::vector<std::string> to;
  std::string message;
  int tls = TORVEL_SMTP_TLS_OPPORTUNISTIC;
  std::string caFile;
};

CURLcode PerformOnce(const Mail& m, const Endpoint& where, long useSsl, bool withAuth,
                     Progress& progress, char* error) {
  CURL* curl = curl_easy_init();
  if (!curl) return CURLE_FAILED_INIT;
  const std::string from = EnvelopeAddress(m.sender);
  curl_slist* rcpt = nullptr;
  for (const std::string& r : m.to) rcpt = curl_slist_append(rcpt, EnvelopeAddress(r).c_str());
  Upload upload{m.message};

  curl_easy_setopt(curl, CURLOPT_URL, where.url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // runs on a worker thread
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_USE_SSL, useSsl);
  // Certificates are always verified; a CA file may add the authority.
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!m.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, m.caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, TimeoutSeconds(kConnectSeconds));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, TimeoutSeconds(kResponseSeconds));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, TimeoutSeconds(kTotalSeconds));
  if (withAuth) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, m.userName.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m.password.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadMessage);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(m.message.size()));
  // The debug hook is the only way to see the greeting; verbose feeds it.
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, WatchReplies);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &progress);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);

  const CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(rcpt);
  curl_easy_cleanup(curl);
  return code;
}

// Sends `m` as its TLS mode asks; `detail` gets curl's words for a failure.
int Perform(const Mail& m, std::string& detail) {
  const Endpoint where = ServerEndpoint(m.server, m.tls == TORVEL_SMTP_TLS_IMPLICIT);
  if (where.url.empty()) return TORVEL_SMTP_CONNECT_FAILED;
  std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  long useSsl = CURLUSESSL_TRY;
  if (where.implicitTls || m.tls == TORVEL_SMTP_TLS_REQUIRED) useSsl = CURLUSESSL_ALL;
  else if (m.tls == TORVEL_SMTP_TLS_NONE) useSsl = CURLUSESSL_NONE;
  // The password never crosses the line in clear unless the user chose so:
  // with AUTH, STARTTLS is required first.
  else if (m.withAuth) useSsl = CURLUSESSL_ALL;

  char error[CURL_ERROR_SIZE] = {};
  Progress progress;
  CURLcode code = PerformOnce(m, where, useSsl, m.withAuth, progress, error);
  if (code == CURLE_USE_SSL_FAILED && m.withAuth && m.tls == TORVEL_SMTP_TLS_OPPORTUNISTIC &&
      !where.implicitTls) {
    // No STARTTLS offered: the mail goes without AUTH, which the server may refuse.
    progress = {};
    error[0] = '\0';
    code = PerformOnce(m, where, CURLUSESSL_NONE, false, progress, error);
    if (code != CURLE_OK)
      detail = "the server offers no STARTTLS, so no password was sent; ";
  }
  if (code != CURLE_OK) detail += *error ? error : curl_easy_strerror(code);
  return MapResult(code, progress);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SendMail(const char* server, int authType, const char* userName,
                        const char* password, const char* sender, const char* recipients,
                        const char* subject, const char* body, int, int, int, int, int, int) {
  Mail m;
  m.server = Text(server);
  m.to = SplitRecipients(Text(recipients));
  if (m.server.empty()) return TORVEL_SMTP_CONNECT_FAILED;
  if (m.to.empty()) return TORVEL_SMTP_SEND_FAILED;
  m.withAuth = authType == 2;
  m.userName = Text(userName);
  m.password = Text(password);
  m.sender = Text(sender);
  m.message = ComposeMessage(m.sender, m.to, Text(subject), Text(body));
  std::string detail;
  return Perform(m, detail);
}

extern "C" __attribute__((visibility("default"))) int SendMailWithOptions(
    const char* server, int authType, const char* userName, const char* password,
    const char* sender, const char* recipients, const char* subject, const char* body,
    const TorvelMailOptions* options) {
  Mail m;
  m.server = std::string(Trim(Text(server)));
  m.to = SplitRecipients(Text(recipients));
  std::string detail;
  int result = TORVEL_SMTP_OK;
  if (m.server.empty()) {
    result = TORVEL_SMTP_CONNECT_FAILED;
    detail = "no SMTP server is set";
  } else if (m.to.empty()) {
    result = TORVEL_SMTP_SEND_FAILED;
    detail = "no recipient is set";
  } else {
    m.withAuth = authType == 2;
    m.userName = Text(userName);
    m.password = Text(password);
    m.sender = Text(sender);
    if (options && options->size >= sizeof(TorvelMailOptions)) {
      m.tls = options->tls;
      m.caFile = Text(options->caFile);
    }
    m.message = ComposeUtf8Message(m.sender, m.to, Text(subject), Text(body));
    result = Perform(m, detail);
  }
  if (options && options->detail && options->detailSize > 0) {
    std::snprintf(options->detail, options->detailSize, "%s", detail.c_str());
  }
  return result;
}
