#include "pages/page_table.h"

#include "common/profile.h"

const std::array<PageParameter, 3> kPageParameters = {{
    {"请求支付后台地址(serveraddr)", "url", "http://127.0.0.1:1301/quenla-web/quenlaweb/quenlaapi"},
    {"应用ID(appid)", "appid", "7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS"},
    {"应用密钥(appsecret)", "appkey", "H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE"},
}};

const std::array<PageDefinition, 4> kPages = {{
    {"DlgReCharge", "充值", 130, WM_PAGE_RECHARGE, {1006, 1007, 1008}, 488, 171, BIZ_RECHARGE},
    {"DlgRefund", "退款", 133, WM_PAGE_REFUND, {1012, 1013, 1014}, 491, 171, BIZ_POS_REFUND},
    {"DlgProt", "腕带", 137, WM_PAGE_WRISTBAND, {1035, 1036, 1037}, 479, 170, 0},
    {"CDlgMMPAYMsg", "推送", 138, WM_PAGE_PUSH, {1045, 1046, 1047}, 487, 167, 0},
}};

const char* const kParametersGroupCaption = "1:先找支付后台或项目经理分配以下参数";
const char* const kBusinessGroupCaption = "2:选择业务";

PageParameters ReadPageParameters() {
    std::string values[3];
    for (std::size_t i = 0; i < kPageParameters.size(); ++i) {
        values[i] = ReadProfileValue(kToolIni, kSettingSection, kPageParameters[i].key);
        if (values[i].empty()) values[i] = kPageParameters[i].defaultValue;
    }
    return {values[0], values[1], values[2]};
}
