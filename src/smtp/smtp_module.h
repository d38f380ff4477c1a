// The SMTP module's one entry point, loaded by name with dlopen. Arguments in
// the designed order; 9 to 13 are zero and 14 is one.
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
}

// Results the core relies on.
#define TORVEL_SMTP_OK 0
#define TORVEL_SMTP_CONNECT_FAILED (-9)
#define TORVEL_SMTP_SEND_FAILED (-10)
#define TORVEL_SMTP_DISCONNECT_FAILED (-11)
