#pragma once

#include <json/value.h>

#include <initializer_list>
#include <string>

#include "common/json_object.h"

namespace testing_support {

// Lines joined by LF, with the final LF the request writer puts.
inline std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text.append(line).append("\n");
    return text;
}

// Parses a request or answer text strictly; a null value when it is no JSON object.
inline Json::Value Parse(const std::string& text) { return ParseJsonObject(text); }

}  // namespace testing_support
