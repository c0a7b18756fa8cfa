#pragma once

#include <json/value.h>

#include <string_view>

// The text as a JSON object, read strictly; a null value when it is not one.
Json::Value ParseJsonObject(std::string_view text);
