#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The library's own answers, one small JSON shape: {"code": ..., "msg": ...} in GBK.
enum class Failure {
    NoSettings,    // E001
    NotJson,       // E002
    Refused,       // E003
    HostNotFound,  // E004
    Tls,           // E005
    Timeout,       // E006
    HttpStatus,    // E007
    TooLarge,      // E008
    Transport,     // E009
    Internal,      // E010
    BadAddress,    // E011
};

const char* CodeOf(Failure failure);

// A failure with its Chinese message; `detail` (ASCII or GBK) is appended after a colon.
std::string FailureAnswer(Failure failure, std::string_view detail = {});

// The answer to a settings push.
std::string SettingsKeptAnswer();

}  // namespace corvane
