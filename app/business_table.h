#pragma once

#include <span>
#include <string>
#include <string_view>

#include "pages/page_table.h"

// The thirteen businesses: which page button asks for each, what it reads from the ini files
// and which composer writes its request. The window and the command line compose through this.

// What a business may need besides the last charge number.
struct BusinessInputs {
    std::string posNo;        // Veltrano.ini SETTING PosNo
    std::string depositType;  // Veltrano.ini SETTING DepositType
    std::string posChannl;    // Veltrano.ini SETTING PosChannl
    std::string operatorId;   // corvane.ini DIVev OPERATORID
    // The recharge page's own back-end parameters.
    std::string serverAddr;
    std::string appId;
    std::string appSecret;
};

enum BusinessInput : unsigned {
    kNeedsPosNo = 1u << 0,
    kNeedsDepositType = 1u << 1,
    kNeedsPosChannl = 1u << 2,
    kNeedsOperatorId = 1u << 3,
    kNeedsRechargePage = 1u << 4,
};

struct Business {
    int message;            // WM_PAGE_...
    int subCode;            // BIZ_...
    int radioId;            // the page's radio button
    const char* caption;    // its caption, GBK
    const char* name;       // short name for the command line
    const char* transType;  // the request's business code
    unsigned inputs;        // BusinessInput flags
    std::string (*compose)(const BusinessInputs& inputs, std::string& lastOutChargeNo);
};

// In sub-code order.
std::span<const Business> Businesses();

// The business a page message asks for, or null for a sub-code the message does not have.
const Business* FindBusiness(int message, int subCode);

// By sub-code ("2025") or short name ("recharge"); null when unknown.
const Business* FindBusinessByName(std::string_view name);

// Index in the tab order of the page that offers the business.
int PageOf(const Business& business);

// Reads afresh the ini entries the business needs; a given `posChannl` stands in for the
// stored one. The recharge page's parameters are left empty.
BusinessInputs ReadBusinessInputs(const Business& business, const std::string* posChannl = nullptr);

// The row's composer on inputs already gathered; a recharge also replaces `lastOutChargeNo`.
std::string ComposeBusiness(const Business& business, const BusinessInputs& inputs,
                            std::string& lastOutChargeNo);

// The one road from a business to its request text, for the window and the command line:
// reads what the business's row needs, takes the recharge page's parameters where the row asks
// for them, and composes. A recharge replaces `lastOutChargeNo`; a given `posChannl` overrides
// the stored PosChannl.
std::string ComposeRequest(const Business& business, const PageParameters& rechargePage,
                           std::string& lastOutChargeNo, const std::string* posChannl = nullptr);

// The business that a pick in the POS channel option recomposes while `page` shows, or null.
const Business* BusinessRecomposedOn(int page);
