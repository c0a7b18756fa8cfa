#include "common/fast_writer.h"

#include <gtest/gtest.h>
#include <json/value.h>

namespace {

std::string Write(const Json::Value& v) { return FastWriter().write(v); }

Json::Value Envelope(const char* transType,
                     std::initializer_list<std::pair<const char*, const char*>> param) {
    Json::Value root;
    root["transType"] = transType;
    for (auto [key, value] : param) root["param"][key] = value;
    return root;
}

TEST(FastWriter, QueryAccountRequest) {
    EXPECT_EQ(Write(Envelope("portal.wb.queryAccount", {{"key", "2345654322"}})),
              "{\n\"param\":{\n\"key\":\"2345654322\"\n},\n\"transType\":\"portal.wb."
              "queryAccount\"\n}\n");
}

TEST(FastWriter, WristbandCodeRequest) {
    // Members set out of order: the writer orders them.
    Json::Value root = Envelope("portal.wb.getWristbandCode", {{"userName", "李四"},
                                                               {"operatorName", "腕带付"},
                                                               {"operatorId", "wdf02"},
                                                               {"idType", "01"},
                                                               {"idNo", "000000199001010000"},
                                                               {"hospName", "示例人民医院"},
                                                               {"cardType", "03"},
                                                               {"cardNo", "13000000000"},
                                                               {"accountType", "02"}});
    EXPECT_EQ(Write(root),
              "{\n"
              "\"param\":{\n"
              "\"accountType\":\"02\",\n"
              "\"cardNo\":\"13000000000\",\n"
              "\"cardType\":\"03\",\n"
              "\"hospName\":\"示例人民医院\",\n"
              "\"idNo\":\"000000199001010000\",\n"
              "\"idType\":\"01\",\n"
              "\"operatorId\":\"wdf02\",\n"
              "\"operatorName\":\"腕带付\",\n"
              "\"userName\":\"李四\"\n"
              "},\n"
              "\"transType\":\"portal.wb.getWristbandCode\"\n"
              "}\n");
}

TEST(FastWriter, SettlePushRequest) {
    Json::Value root = Envelope("hop.mmpay.msg.push", {{"accountType", "01"},
                                                       {"applyDepaName", "门诊科"},
                                                       {"applyDoctorName", "赵大山"},
                                                       {"cardNo", "D12345678"},
                                                       {"cardType", "01"},
                                                       {"contactNumber", "1008611"},
                                                       {"fee", "100.00"},
                                                       {"feeType", "01"},
                                                       {"idNo", "000000580101000"},
                                                       {"recipeNum", ""},
                                                       {"recipeTime", "20210730113006"},
                                                       {"userName", "王小五"},
                                                       {"userNo", "012"},
                                                       {"voucherNo", "201115"}});
    EXPECT_EQ(Write(root),
              "{\n"
              "\"param\":{\n"
              "\"accountType\":\"01\",\n"
              "\"applyDepaName\":\"门诊科\",\n"
              "\"applyDoctorName\":\"赵大山\",\n"
              "\"cardNo\":\"D12345678\",\n"
              "\"cardType\":\"01\",\n"
              "\"contactNumber\":\"1008611\",\n"
              "\"fee\":\"100.00\",\n"
              "\"feeType\":\"01\",\n"
              "\"idNo\":\"000000580101000\",\n"
              "\"recipeNum\":\"\",\n"
              "\"recipeTime\":\"20210730113006\",\n"
              "\"userName\":\"王小五\",\n"
              "\"userNo\":\"012\",\n"
              "\"voucherNo\":\"201115\"\n"
              "},\n"
              "\"transType\":\"hop.mmpay.msg.push\"\n"
              "}\n");
}

TEST(FastWriter, EscapesBytesNotCharacters) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"\"", "\\\""},
        {"\\", "\\\\"},
        {"\b", "\\b"},
        {"\f", "\\f"},
        {"\n", "\\n"},
        {"\r", "\\r"},
        {"\t", "\\t"},
        {"\x01", "\\u0001"},
        {"\x1F", "\\u001F"},
        {"\x0B", "\\u000B"},
        {"/", "/"},
        {"\x7F", "\x7F"},
        {"\x80\xFF", "\x80\xFF"},
        {"，", "\xA3\xAC"},        // full-width comma passes as its GBK bytes
        {"\xD5\x5C", "\xD5\\\\"},  // a GBK trail byte 0x5C is doubled
        {"http://a/b", "http://a/b"},
        {"2021-02-09 ", "2021-02-09 "},
        {std::string("ab\0cd", 5), "ab"},  // the string ends at its first zero byte
        {"", ""},
    };
    for (const auto& c : cases) {
        Json::Value root;
        root["k"] = Json::Value(c.in.data(), c.in.data() + c.in.size());
        EXPECT_EQ(Write(root), "{\n\"k\":\"" + c.out + "\"\n}\n") << "input " << c.in;
    }
    Json::Value keyed;
    keyed["a\"b"] = "";
    EXPECT_EQ(Write(keyed), "{\n\"a\\\"b\":\"\"\n}\n");
}

TEST(FastWriter, KeysInUnsignedByteOrderPrefixFirst) {
    Json::Value root;
    for (const char* key : {"transType", "\xB0\xA1", "fee", "Url", "feeType", "param", "PosNo",
                            "TKJYLX", "appsecret", "appid", "cardType", "cardNo", "age"})
        root[key] = "";
    std::string text = Write(root);
    std::vector<std::string> order;
    for (std::size_t pos = 0; (pos = text.find("\n\"", pos)) != std::string::npos; ++pos)
        order.push_back(text.substr(pos + 2, text.find('"', pos + 2) - pos - 2));
    EXPECT_EQ(order, (std::vector<std::string>{"PosNo", "TKJYLX", "Url", "age", "appid",
                                               "appsecret", "cardNo", "cardType", "fee", "feeType",
                                               "param", "transType", "\xB0\xA1"}));
}

TEST(FastWriter, SettingAMemberTwiceKeepsOneInItsPlace) {
    Json::Value root;
    root["b"] = "1";
    root["a"] = "1";
    root["b"] = "2";
    EXPECT_EQ(Write(root), "{\n\"a\":\"1\",\n\"b\":\"2\"\n}\n");
}

TEST(FastWriter, EmptyObjectAndNesting) {
    EXPECT_EQ(Write(Json::Value(Json::objectValue)), "{\n\n}\n");
    Json::Value root;
    root["param"]["extra"]["hopid"] = "12345";
    EXPECT_EQ(Write(root), "{\n\"param\":{\n\"extra\":{\n\"hopid\":\"12345\"\n}\n}\n}\n");
}

TEST(FastWriter, OtherKinds) {
    const struct {
        Json::Value value;
        const char* text;
    } cases[] = {
        {Json::Value(), "null"},
        {Json::Value(true), "true"},
        {Json::Value(false), "false"},
        {Json::Value(-42), "-42"},
        {Json::Value(Json::UInt64(18446744073709551615ull)), "18446744073709551615"},
        {Json::Value(Json::Int64(-9223372036854775807ll - 1)), "-9223372036854775808"},
        {Json::Value(1.0), "1.0"},
        {Json::Value(0.5), "0.50"},
        {Json::Value(100.0), "100.0"},
        {Json::Value(0.25), "0.250"},
        {Json::Value(1e20), "1.000000000000000e+20"},
    };
    for (const auto& c : cases) EXPECT_EQ(Write(c.value), std::string(c.text) + "\n");

    Json::Value array(Json::arrayValue);
    array.append("a");
    array.append(1);
    EXPECT_EQ(Write(array), "\n[\n\"a\",\n1\n]\n\n");
}

TEST(FastWriter, ReusedWriterStartsAfresh) {
    FastWriter writer;
    Json::Value a;
    a["a"] = "1";
    Json::Value b;
    b["b"] = "2";
    writer.write(a);
    EXPECT_EQ(writer.write(b), "{\n\"b\":\"2\"\n}\n");
}

}  // namespace
