#include "SimHost.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

namespace velmora::sim {
namespace {
constexpr double kScenarioPollS = 0.1;
constexpr double kStateWriteS = 0.25;
}  // namespace

SimHost::SimHost(Simulator& sim, std::filesystem::path scenarioFile,
                 std::filesystem::path stateFile, Clock clock)
    : sim_(sim),
      scenarioFile_(std::move(scenarioFile)),
      stateFile_(std::move(stateFile)),
      clock_(std::move(clock)) {
    lastTime_ = clock_();
    PollScenario();
    lastPoll_ = lastTime_;
}

void SimHost::BeforeCall() {
    double now = clock_();
    if (now > lastTime_) {
        sim_.Advance(now - lastTime_);
        lastTime_ = now;
    }
    if (now - lastPoll_ >= kScenarioPollS) {
        lastPoll_ = now;
        if (PollScenario()) stateDirty_ = true;
    }
}

void SimHost::AfterCall() {
    if (stateFile_.empty()) return;
    bool changed = sim_.SetOperations() != writtenSetOperations_;
    if (changed || stateDirty_ || lastTime_ - lastWrite_ >= kStateWriteS) WriteState();
}

bool SimHost::PollScenario() {
    if (scenarioFile_.empty()) return false;
    std::string text;
    if (!ReadFileText(scenarioFile_, text)) {
        if (!scenarioSeen_ && lastError_.empty()) {
            lastError_ = "cannot read " + scenarioFile_.string();
            std::fprintf(stderr, "velmora sim: %s\n", lastError_.c_str());
        }
        return false;
    }
    if (scenarioSeen_ && text == scenarioText_) return false;
    scenarioSeen_ = true;
    scenarioText_ = text;
    std::string error;
    if (!sim_.LoadScenarioText(text, &error)) {
        lastError_ = error;
        std::fprintf(stderr, "velmora sim: scenario %s: %s\n", scenarioFile_.string().c_str(),
                     error.c_str());
        return false;
    }
    lastError_.clear();
    return true;
}

bool SimHost::WriteState() {
    if (stateFile_.empty()) return false;
    std::string text = sim_.StateText();
    if (!WriteFileAtomically(stateFile_, text)) return false;  // retried on the next call
    lastWrite_ = lastTime_;
    writtenSetOperations_ = sim_.SetOperations();
    stateDirty_ = false;
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    // Replaces the old file in one step (MoveFileExW with replace under Windows).
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

std::string HostPath(const std::string& path, bool windows) {
    std::string p = path;
    if (windows) {
        if (!p.empty() && p[0] == '/') {
            for (char& c : p) c = c == '/' ? '\\' : c;
            return "Z:" + p;
        }
        return p;
    }
    if (p.size() >= 3 && (p[0] == 'Z' || p[0] == 'z') && p[1] == ':' &&
        (p[2] == '\\' || p[2] == '/')) {
        p.erase(0, 2);
        for (char& c : p) c = c == '\\' ? '/' : c;
    }
    return p;
}

bool ReadFileText(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

}  // namespace velmora::sim
