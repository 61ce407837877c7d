#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

// Thrown with a one-line reason when the words do not form a valid command.
struct UsageError {
    std::string reason;
};

// A word of the command line as a message shows it: its first 40 characters, so that a pasted
// paragraph does not fill the terminal; quoted adds the quotes.
std::string clipped(const std::string& text);
std::string quoted(const std::string& text);

// "a,b,,c" -> {"a", "b", "", "c"}; "" -> {""}: the comma lists of every option that takes one.
std::vector<std::string> splitList(const std::string& text);

// The whole number `text` from `low` to `high`; else UsageError
// "OPTION expects a whole number from LOW to HIGH, not 'TEXT'" (the text cut to 40 characters).
int parseCount(const std::string& option, const std::string& text, int low, int high);

// The number `text`; else UsageError "OPTION expects a number, not 'TEXT'" (cut to 40 characters).
double parseNumber(const std::string& option, const std::string& text);

// The options of a headless command, one row each, and the one walk over the command's words that hands
// every option its argument. A row parses its argument into the command's request; a value it cannot
// take ends the walk with a UsageError naming the reason. What the options mean together (one excluding
// another) the command checks after the walk.
class OptionTable {
public:
    enum class Argument {
        None,     // a switch
        Required, // the next word, whatever it is ("--kind --all" gives --kind the value "--all")
        Optional, // the next word when `isArgument` accepts it, else none
    };
    struct Option {
        std::vector<std::string> names; // "--output", "-o"
        Argument argument = Argument::None;
        // Parses and stores the argument; the empty text for a switch or an optional argument left out.
        std::function<void(const std::string& argument)> take;
        // Argument::Optional: whether the word after the option is its argument (never the empty word).
        std::function<bool(const std::string& word)> isArgument = {};
    };
    // What to do with a word that names no option of the table.
    using OtherWord = std::function<void(const std::string& word)>;

    OptionTable(std::vector<Option> options, OtherWord other);

    void parse(const std::vector<std::string>& words) const;

    // A switch that sets `target`.
    static Option flag(const std::string& name, bool& target);
    // A whole number from `low` to `high` (parseCount).
    static Option count(const std::string& name, int& target, int low, int high);
    // A number inside a range: "NAME expects a number, not 'TEXT'" for no number, `refusal` for one
    // outside.
    static Option number(const std::string& name, double& target, bool (*inRange)(double),
                         const std::string& refusal);
    // The argument as it is (an output file).
    static Option text(std::initializer_list<std::string> names, std::string& target);
    // One of `choices`; else "NAME must be A, B or C, not 'TEXT'".
    static Option choice(const std::string& name, std::optional<std::string>& target,
                         const std::vector<std::string>& choices);

    // The handling of other words for a command of one FILE: a word starting with '-' (other than "-",
    // the standard input's name) is an unknown option, the first other word the file, a second refused.
    static OtherWord oneFile(std::optional<std::string>& file);

private:
    const Option* find(const std::string& word) const;

    std::vector<Option> options_;
    OtherWord other_;
};
