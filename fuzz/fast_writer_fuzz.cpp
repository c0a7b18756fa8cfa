// FastWriter on envelopes built from any bytes, and the strict JSON reader on any text.
#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/fast_writer.h"
#include "common/json_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    // Pairs of key and value separated by NULs, set below "param" or "extra".
    Json::Value root;
    root["transType"] = "fuzz";
    std::size_t pos = 0;
    for (int i = 0; pos < input.size() && i < 64; ++i) {
        std::size_t k = input.find('\0', pos);
        if (k == std::string::npos) break;
        std::size_t v = input.find('\0', k + 1);
        std::string key = input.substr(pos, k - pos);
        std::string value =
            input.substr(k + 1, (v == std::string::npos ? input.size() : v) - k - 1);
        if (key == "extra") key = "extra-";  // "extra" is the nested object's own name
        (i % 3 == 0 ? root["param"]["extra"] : root["param"])[key] = value;
        pos = v == std::string::npos ? input.size() : v + 1;
    }
    std::string text = FastWriter().write(root);
    if (text.empty() || text.back() != '\n') __builtin_trap();
    // The reader never throws, whatever it gets.
    ParseJsonObject(input);
    ParseJsonObject(text);
    return 0;
}
