// A library whose own dependency is not installed anywhere the loader looks.
#include "platform/callconv.h"

extern "C" int missingHelper();
extern "C" CORVANE_EXPORT int CORVANE_CALL payTrans(const char*, char* response) {
    response[0] = '\0';
    return missingHelper();
}
