#include <benchmark/benchmark.h>
#include <json/value.h>
#include <json/writer.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/business_table.h"
#include "bridge/pay_library.h"
#include "common/fast_writer.h"
#include "common/profile.h"

namespace {

Json::Value Envelope(const char* transType,
                     std::initializer_list<std::pair<const char*, const char*>> param) {
    Json::Value root;
    root["transType"] = transType;
    for (auto [key, value] : param) root["param"][key] = value;
    return root;
}

// The three requests printed in full in the design.
const Json::Value& Example(int which) {
    static const Json::Value examples[] = {
        Envelope("portal.wb.queryAccount", {{"key", "2345654322"}}),
        Envelope("portal.wb.getWristbandCode", {{"accountType", "02"},
                                                {"cardNo", "13000000000"},
                                                {"cardType", "03"},
                                                {"hospName", "示例人民医院"},
                                                {"idNo", "000000199001010000"},
                                                {"idType", "01"},
                                                {"operatorId", "wdf02"},
                                                {"operatorName", "腕带付"},
                                                {"userName", "李四"}}),
        Envelope("hop.mmpay.msg.push", {{"accountType", "01"},
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
                                        {"voucherNo", "201115"}}),
    };
    return examples[which];
}

const char* kNames[] = {"queryAccount", "getWristbandCode", "msgPush"};

void BM_FastWriter(benchmark::State& state) {
    const Json::Value& value = Example(static_cast<int>(state.range(0)));
    FastWriter writer;
    for (auto _ : state) benchmark::DoNotOptimize(writer.write(value));
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_FastWriter)->DenseRange(0, 2);

void BM_JsoncppStreamWriter(benchmark::State& state) {
    const Json::Value& value = Example(static_cast<int>(state.range(0)));
    Json::StreamWriterBuilder builder;
    for (auto _ : state) benchmark::DoNotOptimize(Json::writeString(builder, value));
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_JsoncppStreamWriter)->DenseRange(0, 2);

// A folder with a 200-line tool ini, made the current directory.
struct IniFolder {
    IniFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        std::filesystem::current_path(dir);
        std::ofstream ini("Veltrano.ini");
        ini << "[OTHER]\n";
        for (int i = 0; i < 98; ++i) ini << "other" << i << "=value " << i << "\n";
        ini << "[SETTING]\n";
        for (int i = 0; i < 96; ++i) ini << "key" << i << "=value " << i << "\n";
        ini << "url=http://127.0.0.1:1301/quenla-web/quenlaweb/quenlaapi\nappid=ID\nappkey=KEY\n";
    }
    ~IniFolder() { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

void BM_ReadProfileValue(benchmark::State& state) {
    IniFolder folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadProfileValue(kToolIni, kSettingSection, "appkey"));
}
BENCHMARK(BM_ReadProfileValue)->Unit(benchmark::kMicrosecond);

void BM_WriteProfileValue(benchmark::State& state) {
    IniFolder folder;
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteProfileValue(kToolIni, kSettingSection, "url",
                                                   "http://h/" + std::to_string(n++ % 10)));
}
BENCHMARK(BM_WriteProfileValue)->Unit(benchmark::kMicrosecond);

// A settings push and a request through a library that answers at once: arg 0 in process,
// 1 through corvane-host; a small answer, or (second arg 1) a 5,999,999-byte one.
void BM_Transact(benchmark::State& state) {
    IniFolder folder;
    CPayLibrary library({},
                        state.range(0) == 0 ? LibraryMode::InProcess : LibraryMode::OutOfProcess);
    if (!library.LoadFrom(INSTANT_LIBRARY)) {
        state.SkipWithError("instant library not loaded");
        return;
    }
    const std::string request = state.range(1) == 0
                                    ? "{\n\"param\":{\n\"key\":\"2345654322\"\n},\n\"transType\":"
                                      "\"portal.wb.queryAccount\"\n}\n"
                                    : "big";
    for (auto _ : state) benchmark::DoNotOptimize(library.Transact(request));
    state.SetLabel(std::string(state.range(0) == 0 ? "in process" : "corvane-host") +
                   (state.range(1) == 0 ? ", small answer" : ", 6 MB answer"));
}
BENCHMARK(BM_Transact)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// Composing alone, no ini and no pane, for every business.
void BM_Compose(benchmark::State& state) {
    const Business& business = Businesses()[static_cast<std::size_t>(state.range(0))];
    BusinessInputs inputs{"1", "WX_QR", "云闪付", "OP1", "http://127.0.0.1:1301/q", "ID", "KEY"};
    std::string last = "CZ20261211090702045270";
    for (auto _ : state) benchmark::DoNotOptimize(ComposeBusiness(business, inputs, last));
    state.SetLabel(business.name);
}
BENCHMARK(BM_Compose)->DenseRange(0, 12);

}  // namespace

BENCHMARK_MAIN();
