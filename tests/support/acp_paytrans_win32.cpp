// A Windows payment library that answers with the ANSI code page its process runs in.
#include <windows.h>

#include <cstdio>

#include "common/pay_contract.h"

extern "C" CORVANE_EXPORT int CORVANE_CALL payTrans(const char*, char* response) {
    std::snprintf(response, kSettingsResponseSize, "{\"acp\":\"%u\"}", ::GetACP());
    return 0;
}
