#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The six business options: where each is stored, its choices and the value each stores.

struct ConfigChoice {
    const char* caption;  // GBK
    const char* value;    // stored under the group's key, GBK
};

struct ConfigGroup {
    const char* caption;  // GBK
    const char* file;
    const char* section;
    const char* key;
    std::span<const ConfigChoice> choices;
    // The choice shown checked when the stored value matches no choice; -1 for none.
    int fallbackChoice;
    // A pick recomposes the request of the page on show (see PageDefinition::posChannelBusiness).
    bool recomposesRequest;
};

inline constexpr std::size_t kConfigGroupCount = 6;
extern const std::array<ConfigGroup, kConfigGroupCount> kConfigGroups;

// For each group, in catalogue order, the index of its checked choice, read from the ini files.
using ConfigChoices = std::array<std::optional<std::size_t>, kConfigGroupCount>;
ConfigChoices LoadConfigChoices();

// The index of the choice a stored value selects in `group`.
std::optional<std::size_t> ChoiceForValue(const ConfigGroup& group, std::string_view value);

// Writes the value of the choice captioned `choiceCaption` in the group captioned
// `groupCaption`. Returns false when no such choice exists or the write fails (`error` says
// why).
bool StoreConfigChoice(std::string_view groupCaption, std::string_view choiceCaption,
                       std::string* error = nullptr);
