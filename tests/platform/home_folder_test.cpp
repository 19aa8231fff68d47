// Where the real program finds the home folder.
#include "platform/home_folder.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace flash410::chooser {
namespace {

// Sets or clears $HOME for one test and puts the old value back.
class HomeVariable {
  public:
    explicit HomeVariable(const char* value) {
        if (const char* old = ::getenv("HOME")) {
            saved_ = old;
        }
        value != nullptr ? ::setenv("HOME", value, 1) : ::unsetenv("HOME");
    }
    ~HomeVariable() { saved_ ? ::setenv("HOME", saved_->c_str(), 1) : ::unsetenv("HOME"); }
    HomeVariable(const HomeVariable&) = delete;
    HomeVariable& operator=(const HomeVariable&) = delete;

  private:
    std::optional<std::string> saved_;
};

TEST(UserHomeFolder, IsHomeWhenSet) {
    const HomeVariable home("/srv/Engineer Home");
    EXPECT_EQ(platform::UserHomeFolder(), "/srv/Engineer Home");
}

TEST(UserHomeFolder, FallsBackToThePasswordDatabase) {
    const passwd* entry = ::getpwuid(::getuid());
    const std::string expected =
        entry != nullptr && entry->pw_dir != nullptr && *entry->pw_dir != '\0' ? entry->pw_dir : "/";
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        const HomeVariable home(value);
        EXPECT_EQ(platform::UserHomeFolder(), expected);
    }
}

}  // namespace
}  // namespace flash410::chooser
