#include "command_line/argument_parser.h"

#include <algorithm>

namespace flash410::command_line {

namespace {

constexpr std::string_view kEndOfOptions = "--";

// CLI11 says which option an ArgumentMismatch is about only in its text, which begins "--port: ".
const CLI::Option* OptionNamedBy(const CLI::App& app, const std::string& text) {
    for (const CLI::Option* option : app.get_options()) {
        if (text.starts_with(option->get_name() + ":")) {
            return option;
        }
    }
    return nullptr;
}

// An option taking one value (or one set of them) that has received more has been given twice; an option
// that has received none or too few was left without its value.
ArgumentProblem MismatchProblem(const CLI::App& app, const CLI::ArgumentMismatch& mismatch) {
    for (const CLI::Option* option : app.get_options()) {
        const bool oneOccurrence = option->get_multi_option_policy() == CLI::MultiOptionPolicy::Throw;
        if (oneOccurrence && option->get_type_size() != 0 &&
            option->count() > static_cast<std::size_t>(option->get_items_expected_max())) {
            return {ProblemKind::kGivenTwice, option->get_name(), option->get_items_expected_min()};
        }
    }
    if (const CLI::Option* option = OptionNamedBy(app, mismatch.what())) {
        return {ProblemKind::kMissingValue, option->get_name(), option->get_items_expected_min()};
    }
    return {ProblemKind::kOther, mismatch.what(), 0};
}

// "--capture=" gives no value; CLI11 would take the next argument for it, so that "--capture= a.hex b.hex"
// would write the capture over a.hex.
std::optional<ArgumentProblem> EmptyValueProblem(const CLI::App& app,
                                                 std::span<const std::string> arguments) {
    for (const std::string& argument : arguments) {
        if (argument == kEndOfOptions) {
            break;
        }
        if (argument.size() > 3 && argument.starts_with("--") && argument.ends_with('=') &&
            argument.find('=') == argument.size() - 1) {
            const std::string name = argument.substr(0, argument.size() - 1);
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option != nullptr && option->get_type_size() != 0) {
                return ArgumentProblem{ProblemKind::kMissingValue, option->get_name(),
                                       option->get_items_expected_min()};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

ParsedArguments ParseArguments(CLI::App& app, std::span<const std::string> arguments,
                               const ParseSettings& settings) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.begin(), arguments.end());
    if (settings.SlashQuestionMarkHelp) {
        const auto end = std::find(reversed.begin(), reversed.end(), kEndOfOptions);
        std::replace(reversed.begin(), end, std::string("/?"), std::string("--help"));
    }
    std::reverse(reversed.begin(), reversed.end());
    app.allow_extras();
    // CLI11 built for Windows takes "/name" for an option; here an argument means the same on every system,
    // and "/?" is the one such form, above.
    app.allow_windows_style_options(false);

    ParsedArguments parsed;
    parsed.Problem = EmptyValueProblem(app, arguments);
    if (parsed.Problem) {
        return parsed;
    }
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        parsed.HelpRequested = true;
        return parsed;
    } catch (const CLI::ArgumentMismatch& mismatch) {
        parsed.Problem = MismatchProblem(app, mismatch);
        return parsed;
    } catch (const CLI::ParseError& error) {
        parsed.Problem = ArgumentProblem{ProblemKind::kOther, error.what(), 0};
        return parsed;
    }
    // CLI11 keeps the "--" that ends the options among what it did not take.
    for (const std::string& argument : app.remaining()) {
        if (argument != kEndOfOptions || !parsed.Rest.empty()) {
            parsed.Rest.push_back(argument);
        }
    }
    if (!app.get_prefix_command() && !parsed.Rest.empty()) {
        parsed.Problem = ArgumentProblem{ProblemKind::kUnknownOption, parsed.Rest.front(), 0};
        parsed.Rest.clear();
    }
    return parsed;
}

}  // namespace flash410::command_line
