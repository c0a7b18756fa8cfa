#pragma once

#include <json/reader.h>
#include <json/value.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace testing_support {

// Lines joined by LF, with the final LF the request writer puts.
inline std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text.append(line).append("\n");
    return text;
}

// Parses a request text with jsoncpp's strict reader; a null value when it is not JSON.
inline Json::Value Parse(const std::string& text) {
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
        return Json::Value();
    return root;
}

}  // namespace testing_support
