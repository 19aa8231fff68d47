// What `flash410-cli upload --json` writes instead of the text lines: one JSON object a line for each
// thing that happens on a port (it opened, the modem is ready, the erase is done, a block at each tenth
// of the image and each block sent again), and last for each port its end, which is the port's history
// record with the exit status and the final text. Every object has "event" and "port"; the field names
// are kept from one version to the next, for the scripts that read them.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "history/upload_record.h"
#include "session/upload_session.h"

namespace flash410::cli {

class JsonReport {
  public:
    JsonReport(std::ostream& out, std::vector<std::string> portNames);

    // One more port, which comes after those named so far: its place among them.
    std::size_t AddPort(std::string name);
    // A line of the caller's own, with its fields after "event".
    void WriteOwn(const char* event, const nlohmann::ordered_json& fields);

    // A session event of the port (by its place among the names); most need no line.
    void Show(std::size_t port, const session::SessionEvent& event);
    // The port's end: its record where the upload began, its exit status and the final text.
    void ShowEnd(std::size_t port, const std::optional<history::UploadRecord>& record, int exitStatus,
                 const std::string& finalText);

  private:
    void Write(std::size_t port, const char* event,
               nlohmann::ordered_json fields = nlohmann::ordered_json::object());

    std::ostream& out_;
    std::vector<std::string> names_;
    std::vector<std::int32_t> tenthsShown_;
};

}  // namespace flash410::cli
