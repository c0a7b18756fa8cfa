#pragma once

#include <json/writer.h>

#include <string>

// Writes a request envelope as the payment back end expects it: one member per line, members
// in ascending byte order of their keys, no indentation, a final line feed; strings are
// escaped byte by byte, so GBK text passes unchanged.
class FastWriter : public Json::Writer {
public:
    Json::String write(const Json::Value& root) override;

private:
    void WriteValue(const Json::Value& value);
    void WriteString(const char* begin, const char* end);

    std::string document_;
};
