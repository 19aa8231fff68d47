#pragma once

#include <string>

namespace flash410::capture {

// Turns tag + text into what a capture line shows after its stamp: the first four line feeds become
// "[lf]", then the first six carriage returns become "[cr]", then a factory mode reply ("FAC=E ",
// "FAC=D ", any other "FAC=") replaces the whole text, tag included, by its meaning. Any byte may appear.
std::string TranslateCaptureText(std::string joined);

}  // namespace flash410::capture
