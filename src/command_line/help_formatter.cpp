#include "command_line/help_formatter.h"

#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace flash410::command_line {

namespace {

// Where a usage line that runs on is broken; the next line begins under the first argument.
constexpr std::size_t kUsageWidth = 80;

// An option knows nothing of its app here, so the help option is known by its name.
bool IsHelpOption(const CLI::Option* option) {
    return option->check_lname("help");
}

// "[--port P]..." for an option that may be repeated, "[--baud RATE]", "FILE" for an argument.
std::string UsageOf(const CLI::Option* option, const std::string& name) {
    if (option->get_positional()) {
        return name;
    }
    const bool repeated = option->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeAll;
    const std::string text = option->get_option_text();
    return "[" + name + (text.empty() ? "" : " " + text) + "]" + (repeated ? "..." : "");
}

std::string EndingInNewLine(std::string text) {
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return text;
}

}  // namespace

HelpFormatter::HelpFormatter(HelpLayout layout) : layout_(std::move(layout)) {
    column_width(layout_.DescriptionColumn);
}

std::string HelpFormatter::make_usage(const CLI::App* app, std::string name) const {
    std::string usage = get_label("Usage") + ": " + name;
    if (!layout_.Usage.empty()) {
        return usage + " " + layout_.Usage + "\n";
    }
    std::vector<std::string> parts;
    for (const CLI::Option* option : app->get_options([](const CLI::Option* candidate) {
             return candidate->nonpositional() && !IsHelpOption(candidate);
         })) {
        parts.push_back(UsageOf(option, make_option_name(option, false)));
    }
    for (const CLI::Option* option :
         app->get_options([](const CLI::Option* candidate) { return candidate->get_positional(); })) {
        parts.push_back(UsageOf(option, make_option_name(option, true)));
    }
    // Continued lines begin under the first argument.
    const std::string indent(usage.size(), ' ');
    std::string lines;
    for (const std::string& part : parts) {
        if (usage.size() + 1 + part.size() > kUsageWidth && usage.size() > indent.size()) {
            lines += usage + "\n";
            usage = indent;
        }
        usage += " " + part;
    }
    return lines + usage + "\n";
}

std::string HelpFormatter::make_option_name(const CLI::Option* option, bool isPositional) const {
    if (isPositional) {
        return option->get_name(true, false);
    }
    if (IsHelpOption(option)) {
        return layout_.HelpOptionName;
    }
    std::string names;
    for (const std::string& longName : option->get_lnames()) {
        names += (names.empty() ? "--" : ", --") + longName;
    }
    return names.empty() ? option->get_name() : names;
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
    const std::string text = option->get_option_text();
    return text.empty() ? std::string() : " " + text;
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name,
                                     CLI::AppFormatMode /*mode*/) const {
    std::ostringstream help;
    help << make_usage(app, name);
    if (const std::string description = app->get_description(); !description.empty()) {
        help << '\n' << EndingInNewLine(description);
    }
    const std::vector<const CLI::Option*> arguments =
        app->get_options([](const CLI::Option* option) { return option->get_positional(); });
    if (!arguments.empty()) {
        help << '\n';
        for (const CLI::Option* argument : arguments) {
            help << make_option(argument, true);
        }
    }
    for (const std::string& group : app->get_groups()) {
        const std::vector<const CLI::Option*> options = app->get_options([&group](const CLI::Option* option) {
            return option->nonpositional() && option->get_group() == group;
        });
        if (!group.empty() && !options.empty()) {
            help << '\n' << group << ":\n";
            for (const CLI::Option* option : options) {
                help << make_option(option, false);
            }
        }
    }
    if (const std::string footer = app->get_footer(); !footer.empty()) {
        help << '\n' << EndingInNewLine(footer);
    }
    return help.str();
}

void UseHelpLayout(CLI::App& app, std::size_t descriptionColumn, std::string helpOptionName,
                   std::string usage) {
    app.formatter(std::make_shared<HelpFormatter>(
        HelpLayout{descriptionColumn, std::move(helpOptionName), std::move(usage)}));
}

}  // namespace flash410::command_line
