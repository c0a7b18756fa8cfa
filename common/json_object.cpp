#include "common/json_object.h"

#include <json/reader.h>

#include <cstring>
#include <memory>

Json::Value ParseJsonObject(std::string_view text) {
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) ||
            !root.isObject())
            return Json::Value();
    } catch (const Json::Exception&) {
        return Json::Value();  // nested deeper than the reader's stack limit
    }
    return root;
}

std::string StringMember(const Json::Value& object, const char* key) {
    const Json::Value* v = object.isObject() ? object.find(key, key + std::strlen(key)) : nullptr;
    return v != nullptr && v->isString() ? v->asString() : std::string();
}
