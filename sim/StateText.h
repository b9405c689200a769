// Reading the simulator's state file ("key = value" lines, as Simulator::StateText writes them),
// for the tests and tools that watch the simulated card from outside.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace velmora::sim {

// Every key of the file; empty when it cannot be read.
inline std::map<std::string, std::string> ReadStateFile(const std::filesystem::path& path) {
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find(" = ");
        if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 3);
    }
    return keys;
}

}  // namespace velmora::sim
