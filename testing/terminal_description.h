#pragma once
// The readable description of a terminal's data directory (JSON, see README.md) and the files
// it becomes. Malformed descriptions throw std::runtime_error naming the place that is wrong.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orra::terminal {

struct DataFile {
  std::u16string name;  // relative to the data directory, as the store names it
  std::vector<uint8_t> bytes;
};

// The five files of a data directory; a part the description leaves out is not written.
std::vector<DataFile> DescribeDataFiles(const nlohmann::json& description);

// Writes `files` under `directory`, making the folders they need; throws on failure.
void WriteDataFiles(const std::u16string& directory, const std::vector<DataFile>& files);

}  // namespace orra::terminal
