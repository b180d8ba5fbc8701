#pragma once

#include <string>

// Whole-file reading and writing for the platforms. Both throw
// std::runtime_error naming the file and the reason.
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &data);
