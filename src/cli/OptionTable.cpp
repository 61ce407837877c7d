#include "OptionTable.h"

#include "core/Conversions.h"

#include <algorithm>

std::string clipped(const std::string& text) {
    return text.substr(0, 40);
}

std::string quoted(const std::string& text) {
    return "'" + clipped(text) + "'";
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        if (comma == std::string::npos) {
            items.push_back(text.substr(from));
            return items;
        }
        items.push_back(text.substr(from, comma - from));
        from = comma + 1;
    }
}

int parseCount(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    if (!tryParseInt(text, value) || value < low || value > high)
        throw UsageError{option + " expects a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not " + quoted(text)};
    return value;
}

double parseNumber(const std::string& option, const std::string& text) {
    double value = 0;
    if (!tryParseFloat(text, value))
        throw UsageError{option + " expects a number, not " + quoted(text)};
    return value;
}

OptionTable::OptionTable(std::vector<Option> options, OtherWord other)
    : options_(std::move(options)), other_(std::move(other)) {}

const OptionTable::Option* OptionTable::find(const std::string& word) const {
    for (const Option& option : options_) {
        if (std::find(option.names.begin(), option.names.end(), word) != option.names.end())
            return &option;
    }
    return nullptr;
}

void OptionTable::parse(const std::vector<std::string>& words) const {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const Option* option = find(word);
        if (option == nullptr) {
            other_(word);
            continue;
        }
        const bool hasNext = i + 1 < words.size();
        switch (option->argument) {
        case Argument::None:
            option->take(std::string());
            break;
        case Argument::Required:
            if (!hasNext)
                throw UsageError{word + " needs a value"};
            option->take(words[++i]);
            break;
        case Argument::Optional:
            if (hasNext && option->isArgument(words[i + 1]))
                option->take(words[++i]);
            else
                option->take(std::string());
            break;
        }
    }
}

OptionTable::Option OptionTable::flag(const std::string& name, bool& target) {
    return {{name}, Argument::None, [&target](const std::string&) { target = true; }};
}

OptionTable::Option OptionTable::count(const std::string& name, int& target, int low, int high) {
    return {{name}, Argument::Required, [name, &target, low, high](const std::string& text) {
                target = parseCount(name, text, low, high);
            }};
}

OptionTable::Option OptionTable::number(const std::string& name, double& target, bool (*inRange)(double),
                                        const std::string& refusal) {
    return {{name}, Argument::Required, [name, &target, inRange, refusal](const std::string& text) {
                target = parseNumber(name, text);
                if (!inRange(target))
                    throw UsageError{refusal};
            }};
}

OptionTable::Option OptionTable::text(std::initializer_list<std::string> names, std::string& target) {
    return {names, Argument::Required, [&target](const std::string& text) { target = text; }};
}

OptionTable::Option OptionTable::choice(const std::string& name, std::optional<std::string>& target,
                                        const std::vector<std::string>& choices) {
    return {{name}, Argument::Required, [name, &target, choices](const std::string& text) {
                if (std::find(choices.begin(), choices.end(), text) == choices.end()) {
                    std::string names;
                    for (std::size_t k = 0; k < choices.size(); ++k)
                        names += (k == 0 ? "" : k + 1 == choices.size() ? " or " : ", ") + choices[k];
                    throw UsageError{name + " must be " + names + ", not '" + text + "'"};
                }
                target = text;
            }};
}

OptionTable::OtherWord OptionTable::oneFile(std::optional<std::string>& file) {
    return [&file](const std::string& word) {
        if (!word.empty() && word[0] == '-' && word != "-")
            throw UsageError{"unknown option '" + word + "'"};
        if (file)
            throw UsageError{"more than one file given ('" + word + "')"};
        file = word;
    };
}
