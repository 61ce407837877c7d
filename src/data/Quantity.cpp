#include "data/Quantity.h"

namespace {

struct QuantityTexts {
    std::string_view code;
    std::string_view command;
    std::string_view display;
    std::string_view unit;
};

// Indexed by quantity.
constexpr std::array<QuantityTexts, quantityCount> texts{{
    {"Res", "res", "视电阻率", "Ω·m"},
    {"M1", "m1", "视极化率 M1", "%"},
    {"R", "r", "偏离度 R", "%"},
    {"TD", "td", "衰减度 TD", "%"},
    {"TH", "th", "半衰时 TH", "ms"},
    {"ZP", "zp", "综合参数 ZP", ""},
}};

} // namespace

std::string_view quantityCode(Quantity quantity) {
    return texts[indexOf(quantity)].code;
}

std::string_view commandName(Quantity quantity) {
    return texts[indexOf(quantity)].command;
}

std::optional<Quantity> quantityNamed(std::string_view name) {
    for (Quantity quantity : allQuantities)
        if (commandName(quantity) == name)
            return quantity;
    return std::nullopt;
}

std::string_view displayName(Quantity quantity) {
    return texts[indexOf(quantity)].display;
}

std::string_view unitOf(Quantity quantity) {
    return texts[indexOf(quantity)].unit;
}
