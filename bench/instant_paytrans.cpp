// A payment library that answers at once, to measure what the tool itself costs. A request
// holding "big" gets the largest answer a transaction's buffer takes.
#include <cstring>

#include "common/pay_contract.h"

extern "C" CORVANE_EXPORT int CORVANE_CALL payTrans(const char* request, char* response) {
    if (std::strstr(request, "big") != nullptr) {
        std::memset(response, 'x', kMaxAnswerLength);
        response[kMaxAnswerLength] = '\0';
        return 0;
    }
    std::strcpy(response, "{\"code\":\"0\",\"msg\":\"ok\"}");
    return 0;
}
