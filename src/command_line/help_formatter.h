// The programs' help texts, laid out from their CLI11 option definitions: the usage line, the description,
// the arguments, the options by group and the closing text, each option named by its long names alone and
// described in one column.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <string>

namespace flash410::command_line {

struct HelpLayout {
    // The column the descriptions begin in; a longer option begins its description on a line of its own.
    std::size_t DescriptionColumn = 20;
    // How the help names the option that asks for it: "--help", or "--help, /?" where "/?" asks too.
    std::string HelpOptionName = "--help";
    // What the usage line shows after the program's name; when empty, the options and arguments in the
    // order they are defined.
    std::string Usage;
};

class HelpFormatter : public CLI::Formatter {
  public:
    explicit HelpFormatter(HelpLayout layout);

    // CLI11's names for the parts of a help text.
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_option_name(const CLI::Option* option, bool isPositional) const override;
    std::string make_option_opts(const CLI::Option* option) const override;

  private:
    HelpLayout layout_;
};

// Gives the app's help that layout. Descriptions, description and footer hold their own line breaks; the
// lines after the first of a description are indented to the column.
void UseHelpLayout(CLI::App& app, std::size_t descriptionColumn, std::string helpOptionName,
                   std::string usage = {});

}  // namespace flash410::command_line
