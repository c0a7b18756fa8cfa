#include "config/config_options.h"

#include "common/profile.h"

namespace {

constexpr ConfigChoice kDepositTypes[] = {
    {"全部渠道", "ALL"},      {"一码付", "ONE_QR"},  {"付款码", "ONE_BAR"}, {"云闪付", "UP_QR"},
    {"支付宝主扫", "ALI_QR"}, {"微信主扫", "WX_QR"}, {"POS", "POS"},
};
constexpr ConfigChoice kQrScreens[] = {{"主屏", "1"}, {"扩展屏", "0"}};
constexpr ConfigChoice kPosNumbers[] = {{"pos1", "1"}, {"pos2", "2"}};
constexpr ConfigChoice kPosChannels[] = {{"银联卡", "银联卡"}, {"云闪付", "云闪付"}};
// A negative flag: "0" shows the cashier.
constexpr ConfigChoice kRechargeDesk[] = {{"显示", "0"}, {"不显示", "32768"}};
// A positive flag: "1" shows the cashier.
constexpr ConfigChoice kRefundDesk[] = {{"显示", "1"}, {"不显示", "0"}};

}  // namespace

const std::array<ConfigGroup, kConfigGroupCount> kConfigGroups = {{
    {"收银台渠道显示", kToolIni, kSettingSection, "DepositType", kDepositTypes, -1, false},
    {"二维码显示", kLibraryIni, kSettingSection, "NOEXSCREENFLAG", kQrScreens, -1, false},
    {"pos终端号", kToolIni, kSettingSection, "PosNo", kPosNumbers, -1, false},
    {"淮北pos充值渠道", kToolIni, kSettingSection, "PosChannl", kPosChannels, -1, true},
    {"收款收银台显示", kLibraryIni, kSettingSection, "NORECHARGEDESKFLAG", kRechargeDesk, 1, false},
    {"退款收银台显示", kLibraryIni, kSettingSection, "REFUNDDESK", kRefundDesk, 1, false},
}};

std::optional<std::size_t> ChoiceForValue(const ConfigGroup& group, std::string_view value) {
    for (std::size_t i = 0; i < group.choices.size(); ++i)
        if (value == group.choices[i].value) return i;
    if (group.fallbackChoice >= 0) return static_cast<std::size_t>(group.fallbackChoice);
    return std::nullopt;
}

ConfigChoices LoadConfigChoices() {
    ConfigChoices checked;
    for (std::size_t g = 0; g < kConfigGroups.size(); ++g) {
        const ConfigGroup& group = kConfigGroups[g];
        checked[g] = ChoiceForValue(group, ReadProfileValue(group.file, group.section, group.key));
    }
    return checked;
}

bool StoreConfigChoice(std::string_view groupCaption, std::string_view choiceCaption,
                       std::string* error) {
    for (const ConfigGroup& group : kConfigGroups) {
        if (groupCaption != group.caption) continue;
        for (const ConfigChoice& choice : group.choices)
            if (choiceCaption == choice.caption)
                return WriteProfileValue(group.file, group.section, group.key, choice.value, error);
        break;
    }
    if (error != nullptr) *error = "no such option";
    return false;
}
