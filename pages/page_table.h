#pragma once

#include <array>
#include <string>

// The four business pages as data.

// Messages the pages post to the main window; the sub-code travels as the second parameter.
enum PageMessage : int {
    WM_PAGE_RECHARGE = 2024,
    WM_PAGE_REFUND = 2034,
    WM_PAGE_WRISTBAND = 2044,
    WM_PAGE_PUSH = 2054,
};

enum BusinessCode : int {
    BIZ_RECHARGE = 2025,
    BIZ_OUTPATIENT_SETTLE = 2026,
    BIZ_QRCODE_GET = 2027,
    BIZ_REFUND = 2035,
    BIZ_POS_REFUND = 2036,
    BIZ_BATCH_REFUND = 2037,
    BIZ_OMBRELIA_REFUND = 2038,
    BIZ_WB_GET_CODE = 2045,
    BIZ_WB_QUERY_ACCOUNT = 2046,
    BIZ_WB_CANCEL_QRCODE = 2047,
    BIZ_WB_PRINT_QRCODE = 2048,
    BIZ_MMPAY_MSG_PUSH = 2055,
    BIZ_MMPAY_PUSH_DRUG = 2056,
};

// The back end the defaults point at.
inline constexpr const char* kBackEndHost = "127.0.0.1";

// The three back-end parameters every page edits, in edit order.
struct PageParameter {
    const char* label;         // GBK caption of the edit's label
    const char* key;           // ini key in section SETTING of the tool's ini
    const char* defaultValue;  // shown and written when the key reads empty
};
extern const std::array<PageParameter, 3> kPageParameters;

// A page's copy of the three parameters (GBK).
struct PageParameters {
    std::string serverAddr;
    std::string appId;
    std::string appSecret;
};

// The parameters as a page shows them at start: each stored value, or its default when it
// reads empty.
PageParameters ReadPageParameters();

struct PageDefinition {
    const char* className;
    const char* tabText;  // GBK
    int dialogId;
    int message;
    std::array<int, 3> editIds;  // server address, application id, application secret
    int widthDlu;
    int heightDlu;
    // The business recomposed when a POS channel is picked while the page shows; 0 for none.
    int posChannelBusiness;
};

// Recharge, refund, wristband, push: the tab order.
extern const std::array<PageDefinition, 4> kPages;

enum PageIndex : int { kRechargePage = 0, kRefundPage = 1, kWristbandPage = 2, kPushPage = 3 };

// Captions of the page frame (GBK).
extern const char* const kParametersGroupCaption;
extern const char* const kBusinessGroupCaption;
