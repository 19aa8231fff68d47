// The console shows the programs' text, which is UTF-8, as UTF-8: a file name in any language appears as
// it is named. On Windows the console's output code page is switched for as long as this object lives
// and then given back (the console outlives the program: the shell that started it goes on using it);
// elsewhere the terminal takes the bytes as they are, and nothing is done.
#pragma once

namespace flash410::platform {

class Utf8Console {
  public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    // 0: nothing to give back. Only Windows has code pages to give back.
    [[maybe_unused]] unsigned int previousCodePage_ = 0;
};

}  // namespace flash410::platform
