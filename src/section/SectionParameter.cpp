#include "section/SectionParameter.h"

#include <cmath>

std::string parameterName(SectionParameter parameter) {
    switch (parameter) {
    case SectionParameter::M1:
        return "视极化率 M1";
    case SectionParameter::R:
        return "偏离度 R";
    case SectionParameter::TD:
        return "衰减度 TD";
    case SectionParameter::TH:
        return "半衰时 TH";
    case SectionParameter::ZP:
        return "综合参数 ZP";
    case SectionParameter::Res:
        break;
    }
    return "视电阻率";
}

std::string parameterUnit(SectionParameter parameter) {
    switch (parameter) {
    case SectionParameter::M1:
    case SectionParameter::R:
    case SectionParameter::TD:
        return "%";
    case SectionParameter::TH:
        return "ms";
    case SectionParameter::ZP:
        return "";
    case SectionParameter::Res:
        break;
    }
    return "Ω·m";
}

bool isLogarithmic(SectionParameter parameter) {
    return parameter == SectionParameter::Res;
}

bool isPresent(double value, bool logarithmic) {
    if (isMissing(value) || std::isinf(value))
        return false;
    return !logarithmic || value > 0.0;
}

double stationPosition(std::int32_t number, std::size_t order, StationPlacement placement, double spacing) {
    return placement == StationPlacement::ByOrder ? static_cast<double>(order)
                                                  : static_cast<double>(number) * spacing;
}
