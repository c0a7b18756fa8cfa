#pragma once

#include <json/value.h>

#include <string>
#include <string_view>

// The text as a JSON object, read strictly; a null value when it is not one (nesting deeper
// than 1,000 levels included). Never throws.
Json::Value ParseJsonObject(std::string_view text);

// The string member `key` of `object`; empty when `object` is no object or the member is
// missing or not a string.
std::string StringMember(const Json::Value& object, const char* key);
