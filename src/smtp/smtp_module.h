// The SMTP module's entry points, loaded by name with dlopen. SendMail keeps
// the designed arguments (9 to 13 zero, 14 one); SendMailWithOptions is the one used.
#pragma once

extern "C" {
typedef int (*SendMailFunction)(const char* server, int authType, const char* userName,
                                const char* password, const char* sender, const char* recipients,
                                const char* subject, const char* body, int reserved9,
                                int reserved10, int reserved11, int reserved12, int reserved13,
                                int one);

int SendMail(const char* server, int authType, const char* userName, const char* password,
             const char* sender, const char* recipients, const char* subject, const char* body,
             int reserved9, int reserved10, int reserved11, int reserved12, int reserved13,
             int one);

// What the designed entry point cannot carry. Strings are UTF-8.
struct TorvelMailOptions {
  unsigned size;       // sizeof(TorvelMailOptions), so the struct can grow
  int tls;             // TORVEL_SMTP_TLS_*
  const char* caFile;  // a PEM file of CA certificates; "" for the system's
  char* detail;        // receives why an attempt failed (may be null)
  unsigned detailSize;
};

// The same mail with TLS chosen and the reason of a failure returned: the
// message goes out as UTF-8, quoted-printable, with Date, Message-ID and
// encoded headers.
typedef int (*SendMailWithOptionsFunction)(const char* server, int authType, const char* userName,
                                           const char* password, const char* sender,
                                           const char* recipients, const char* subject,
                                           const char* body, const struct TorvelMailOptions* options);
int SendMailWithOptions(const char* server, int authType, const char* userName,
                        const char* password, const char* sender, const char* recipients,
                        const char* subject, const char* body,
                        const struct TorvelMailOptions* options);

// STARTTLS when offered and never AUTH without TLS; STARTTLS required;
// implicit TLS (SMTPS); no TLS, AUTH in clear.
#define TORVEL_SMTP_TLS_OPPORTUNISTIC 0
#define TORVEL_SMTP_TLS_REQUIRED 1
#define TORVEL_SMTP_TLS_IMPLICIT 2
#define TORVEL_SMTP_TLS_NONE 3
}

// Results the core relies on.
#define TORVEL_SMTP_OK 0
#define TORVEL_SMTP_CONNECT_FAILED (-9)
#define TORVEL_SMTP_SEND_FAILED (-10)
#define TORVEL_SMTP_DISCONNECT_FAILED (-11)
