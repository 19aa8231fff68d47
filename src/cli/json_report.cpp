#include "cli/json_report.h"

namespace flash410::cli {

namespace events = upload::events;

JsonReport::JsonReport(std::ostream& out, std::vector<std::string> portNames)
    : out_(out), names_(std::move(portNames)), tenthsShown_(names_.size(), 0) {}

std::size_t JsonReport::AddPort(std::string name) {
    names_.push_back(std::move(name));
    tenthsShown_.push_back(0);
    return names_.size() - 1;
}

void JsonReport::WriteOwn(const char* event, const nlohmann::ordered_json& fields) {
    nlohmann::ordered_json object{{"event", event}};
    for (const auto& field : fields.items()) {
        object[field.key()] = field.value();
    }
    out_ << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
}

void JsonReport::Show(std::size_t port, const session::SessionEvent& event) {
    if (const auto* report = std::get_if<events::PortReport>(&event)) {
        if (report->Opened) {  // a port that did not open says so in its end
            Write(port, "port_opened", {{"baud", report->Baudrate}});
        }
    } else if (std::holds_alternative<events::ReadySeen>(event)) {
        Write(port, "modem_ready");
    } else if (std::holds_alternative<events::EraseComplete>(event)) {
        Write(port, "erase_done");
    } else if (std::holds_alternative<events::BlockLoopStarted>(event)) {
        tenthsShown_[port] = 0;
    } else if (const auto* sent = std::get_if<events::BlockSent>(&event)) {
        const std::int32_t tenths = sent->BlockCount > 0 ? sent->BlocksSent * 10 / sent->BlockCount : 0;
        if (tenths > tenthsShown_[port]) {
            tenthsShown_[port] = tenths;
            Write(port, "block",
                  {{"block", sent->BlocksSent},
                   {"of", sent->BlockCount},
                   {"percent", sent->BlocksSent * 100 / sent->BlockCount}});
        }
    } else if (const auto* again = std::get_if<events::BlockAskedAgain>(&event)) {
        Write(port, "block_sent_again",
              {{"block", again->BlocksSent}, {"reason", "asked_again"}, {"times", again->Times}});
    } else if (const auto* silence = std::get_if<events::SilenceResent>(&event)) {
        Write(port, "block_sent_again", {{"block", silence->BlocksSent}, {"reason", "silence"}});
    }
}

void JsonReport::ShowEnd(std::size_t port, const std::optional<history::UploadRecord>& record, int exitStatus,
                         const std::string& finalText) {
    nlohmann::ordered_json fields =
        record ? history::RecordToJson(*record) : nlohmann::ordered_json::object();
    fields["exit_status"] = exitStatus;
    fields["message"] = finalText;
    Write(port, "end", std::move(fields));
}

void JsonReport::Write(std::size_t port, const char* event, nlohmann::ordered_json fields) {
    nlohmann::ordered_json object{{"event", event}, {"port", names_[port]}};
    for (const auto& field : fields.items()) {
        object[field.key()] = field.value();
    }
    // Flushed line by line: a script follows the uploads as they go.
    out_ << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
}

}  // namespace flash410::cli
