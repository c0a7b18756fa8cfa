#include "common/json_object.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonObject, OnlyAStrictObjectIsRead) {
    EXPECT_EQ(ParseJsonObject("{\"code\":\"0\"}")["code"].asString(), "0");
    for (const char* text : {"", "[]", "\"x\"", "{\"a\":1,}", "{'a':1}", "{\"a\":1} x"})
        EXPECT_TRUE(ParseJsonObject(text).isNull()) << text;
}

TEST(JsonObject, DeepNestingIsNoObjectAndNoAbort) {
    std::string deep =
        "{\"code\":\"0\",\"a\":" + std::string(1100, '[') + std::string(1100, ']') + "}";
    EXPECT_TRUE(ParseJsonObject(deep).isNull());
    std::string fine = "{\"a\":" + std::string(100, '[') + std::string(100, ']') + "}";
    EXPECT_TRUE(ParseJsonObject(fine).isObject());
}

TEST(JsonObject, StringMembersOnly) {
    Json::Value root = ParseJsonObject("{\"s\":\"v\",\"n\":1}");
    EXPECT_EQ(StringMember(root, "s"), "v");
    EXPECT_EQ(StringMember(root, "n"), "");
    EXPECT_EQ(StringMember(root, "missing"), "");
    EXPECT_EQ(StringMember(Json::Value("x"), "s"), "");
}

}  // namespace
