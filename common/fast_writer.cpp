#include "common/fast_writer.h"

#include <json/value.h>

#include <cstdio>
#include <cstring>

namespace {

// Reals as "%#.16g" with a run of trailing zeros shortened to one "0" (1.0, 0.50).
std::string RealText(double value) {
    char text[64];
    int n = std::snprintf(text, sizeof text, "%#.16g", value);
    std::string result(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    if (result.find_first_of("eE") != std::string::npos) return result;
    std::size_t last = result.find_last_not_of('0');
    if (last != std::string::npos && last + 2 < result.size()) result.erase(last + 2);
    return result;
}

}  // namespace

Json::String FastWriter::write(const Json::Value& root) {
    document_.clear();
    WriteValue(root);
    document_ += '\n';
    return document_;
}

void FastWriter::WriteValue(const Json::Value& value) {
    switch (value.type()) {
        case Json::nullValue:
            document_ += "null";
            break;
        case Json::intValue:
            document_ += std::to_string(value.asLargestInt());
            break;
        case Json::uintValue:
            document_ += std::to_string(value.asLargestUInt());
            break;
        case Json::realValue:
            document_ += RealText(value.asDouble());
            break;
        case Json::booleanValue:
            document_ += value.asBool() ? "true" : "false";
            break;
        case Json::stringValue: {
            const char* begin = nullptr;
            const char* end = nullptr;
            value.getString(&begin, &end);
            WriteString(begin, end);
            break;
        }
        case Json::arrayValue: {
            document_ += "\n[\n";
            for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
                if (i > 0) document_ += ",\n";
                WriteValue(value[i]);
            }
            document_ += "\n]\n";
            break;
        }
        case Json::objectValue: {
            // jsoncpp keeps members ordered by unsigned byte comparison of their keys.
            document_ += "{\n";
            bool first = true;
            for (auto it = value.begin(); it != value.end(); ++it) {
                if (!first) document_ += ",\n";
                first = false;
                const char* keyEnd = nullptr;
                const char* key = it.memberName(&keyEnd);
                WriteString(key, keyEnd);
                document_ += ':';
                WriteValue(*it);
            }
            document_ += "\n}";
            break;
        }
    }
}

void FastWriter::WriteString(const char* begin, const char* end) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    document_ += '"';
    if (begin != nullptr) {
        const char* stop = static_cast<const char*>(std::memchr(begin, '\0', end - begin));
        if (stop != nullptr) end = stop;
        const char* run = begin;  // bytes copied as they are, flushed in one append
        for (const char* p = begin; p != end; ++p) {
            unsigned char c = static_cast<unsigned char>(*p);
            if (c >= 0x20 && c != '"' && c != '\\') continue;
            document_.append(run, p);
            run = p + 1;
            switch (c) {
                case '"':
                    document_ += "\\\"";
                    break;
                case '\\':
                    document_ += "\\\\";
                    break;
                case '\b':
                    document_ += "\\b";
                    break;
                case '\f':
                    document_ += "\\f";
                    break;
                case '\n':
                    document_ += "\\n";
                    break;
                case '\r':
                    document_ += "\\r";
                    break;
                case '\t':
                    document_ += "\\t";
                    break;
                default: {
                    char escape[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
                    document_.append(escape, sizeof escape);
                }
            }
        }
        document_.append(run, end);
    }
    document_ += '"';
}
